// End-to-end support: a throwaway distribution folder with the built SETUP.EXE beside a
// manifest, and starting it with an argument text as a user or the shell would.
#pragma once

#include <windows.h>

#include <string>

// The built SETUP.EXE (found beside the test program's working directory).
std::string builtSetupPath();

// The stand-in product built beside it: started, it writes its command line and current
// directory to recorder.log beside itself.
std::string builtRecorderPath();
// Waits (bounded) for the recorder's log in folder; its two lines (command line, directory).
bool readRecorderLog(const std::string& folder, std::string* commandLine, std::string* directory);

// A fresh folder C:\setuptests\<name>\ holding a copy of SETUP.EXE; returns the folder.
std::string stageSetup(const std::string& name, const std::string& manifest = "");

struct SetupProcess {
    PROCESS_INFORMATION info {};
    DWORD pid() const { return info.dwProcessId; }
    // Waits for the end; the exit code, or -1 after timeoutMs (the process is then ended).
    DWORD wait(DWORD timeoutMs = 30000);
    ~SetupProcess();
};

// Starts "<folder>SETUP.EXE" <arguments> with currentDir as its current directory.
bool startSetup(SetupProcess& process, const std::string& exePath, const std::string& arguments,
                const std::string& currentDir = "");
// The same, by a UTF-16 path that the ANSI code page may not hold, as the shell starts it.
bool startSetup(SetupProcess& process, const std::wstring& exePath);

// Memory in process pid, for a message or a thread of that process whose argument must lie
// there: the system hands a common control's records and a thread's argument across
// processes as bare addresses.
class RemoteMemory {
public:
    RemoteMemory(DWORD pid, size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    char* address() const { return address_; }      // null when it could not be had
    HANDLE process() const { return process_; }
    bool write(size_t at, const void* bytes, size_t size) const;
    bool read(size_t at, void* bytes, size_t size) const;

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

// Makes a new thread of process pid load the DLL name by name, as system code in that
// process would (waits for it, bounded). False when no such thread could be run.
bool loadLibraryInside(DWORD pid, const char* name);


// DLLs that record their loading (tests/planted.dll), put into folder under the names of
// the system DLLs that system code loads by name.
extern const char* const plantedDllNames[];
void plantDlls(const std::string& folder);
// Whether Wine searches for those names as Windows does, program folder first. Wine takes
// the load order from the Unix environment at process start, which a Windows parent cannot
// set for its child: the end-to-end tests run with WINEDLLOVERRIDES extended by
// "uxtheme,msimg32,comctl32=n,b" (tests/CMakeLists.txt), and so does every SETUP.EXE they start.
bool plantedDllsSearchedFirst();
// The planted DLLs of folder that some process has loaded ("" when none).
std::string plantedDllsLoaded(const std::string& folder);
