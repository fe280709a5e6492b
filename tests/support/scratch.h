// Test support: throwaway folders, files and registry keys, and what a test sees of them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A new, empty folder for one test: C:\setuptests\<name>\ (with its trailing backslash).
std::string scratchFolder(const std::string& name);

// Deletes a folder and everything in it; read-only files included.
void deleteTree(const std::string& folder);

void writeFile(const std::string& path, const std::string& content);
// A file of size zero bytes that takes no disk space (a hole): cheap, however large.
void writeSparseFile(const std::string& path, LONGLONG size);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);      // a plain file
LONGLONG fileSize(const std::string& path);    // -1 when there is no such file
bool folderExists(const std::string& path);
// The names in a folder (files and folders), sorted, "." and ".." left out.
std::vector<std::string> namesInFolder(const std::string& folder);

// A registry key and its value, in the registry view of the test program, which is the
// view of the SETUP.EXE of the same build (the i686 one sees the 32-bit view).
void setRegistryText(HKEY root, const std::string& key, const std::string& name, const std::string& value);
bool registryKeyExists(HKEY root, const std::string& key);
void deleteRegistryKey(HKEY root, const std::string& key);

// A per-user shell folder ("Programs", "Desktop", "Startup"), without a trailing backslash.
std::string shellFolder(const char* name);

// The text as hex bytes ("83 5C ..."), for readable failures on Shift_JIS text.
std::string hexBytes(const std::string& text);

// Runs a command line, waits up to timeoutMs, and returns its exit code (-1 on timeout:
// the process is then ended). With a log, the wait also ends (-1) once the log has stood
// still for 10 s while the command runs: a run that stopped making progress fails in
// seconds, not at the bound.
DWORD runProcess(const std::string& commandLine, const std::string& currentDir = "", DWORD timeoutMs = 60000,
                 const std::string& log = "");

// The folder of the running test program, with its trailing backslash.
std::string testProgramFolder();

// A name no ANSI code page of ours holds (Zoë and a Hangul syllable; the second is outside
// code page 1252 too): what a user name such as Zoë gives on a Japanese system.
extern const wchar_t foreignName[];
std::wstring widened(const std::string& text);
// The short (8.3) path of an existing file or folder, in the ANSI code page; "" when none.
std::string shortPathOf(const std::wstring& path);
