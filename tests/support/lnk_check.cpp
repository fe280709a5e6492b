// Test support: the Linux side of Wine (see lnk_check.h).
//
// Wine starts a Unix program when CreateProcess is given its path on drive Z:, but cannot
// wait for it or pipe its output: a script's output and status go to files, the status
// file is renamed into place when the script has ended, and the test polls for it.
#include "lnk_check.h"

#include "scratch.h"
#include "test_guard.h"

#include <stdlib.h>

std::string unixPathOf(const std::string& windowsPath)
{
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    ToUnix toUnix = (ToUnix)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (!toUnix || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH))
        return "";
    char* path = toUnix(wide);
    if (!path)
        return "";
    std::string result = path;
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

int runUnixScript(const std::string& script, std::string* output, DWORD timeoutMs)
{
    static int serial = 0;
    CreateDirectoryA("C:\\setuptests", nullptr);
    std::string base = "C:\\setuptests\\unix-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::string status = base + ".status", scriptFile = base + ".sh", outputFile = base + ".out";
    std::string unixStatus = unixPathOf(status);
    if (unixStatus.empty())
        return -1;
    // the script's own bytes carry any UTF-8 paths; the command line stays ASCII
    writeFile(scriptFile, script);
    std::string command = "Z:\\bin\\sh -c \"sh '" + unixPathOf(scriptFile) + "' > '" + unixPathOf(outputFile) +
                          "' 2>&1; echo $? > '" + unixStatus + ".tmp'; mv '" + unixStatus + ".tmp' '" + unixStatus +
                          "'\"";
    STARTUPINFOA startup = { sizeof startup };
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Waiting waiting("a Linux command to finish: " + scriptFile);
    DWORD start = GetTickCount();
    while (!fileExists(status) && GetTickCount() - start < timeoutMs)
        Sleep(20);
    std::string result = readFile(status);
    if (output)
        *output = readFile(outputFile);
    DeleteFileA(status.c_str());
    DeleteFileA(scriptFile.c_str());
    DeleteFileA(outputFile.c_str());
    return result.empty() ? -1 : atoi(result.c_str());
}

// The value after "Name<tabs>: " in lnkinfo's report.
static std::string field(const std::string& report, const char* name)
{
    size_t at = report.find(std::string("\t") + name);
    if (at == std::string::npos)
        return "";
    size_t colon = report.find(": ", at);
    size_t end = report.find('\n', colon);
    return colon == std::string::npos ? "" : report.substr(colon + 2, end - colon - 2);
}

// lnkinfo writes UTF-8; the program's paths are compared in the ANSI code page.
static std::string utf8ToAnsi(const std::string& text)
{
    WCHAR wide[2048];
    char ansi[4096];
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, 2048);
    if (n == 0 || WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr) == 0)
        return text;
    return ansi;
}

LinkContents readLinkWithLnkinfo(const std::string& path)
{
    LinkContents contents;
    std::string unixLink = unixPathOf(path);
    if (unixLink.empty())
        return contents;
    runUnixScript("/usr/bin/lnkinfo -c windows-932 '" + unixLink + "'\n", &contents.report);
    contents.read = contents.report.find("Windows Shortcut information") != std::string::npos;
    contents.target = utf8ToAnsi(field(contents.report, "Local path"));
    contents.arguments = utf8ToAnsi(field(contents.report, "Command line arguments"));
    contents.workingDirectory = utf8ToAnsi(field(contents.report, "Working directory"));
    return contents;
}

::testing::AssertionResult linkIs(const std::string& link, const std::string& target, const std::string& arguments,
                                  const std::string& workingDirectory)
{
    if (!fileExists(link))
        return ::testing::AssertionFailure() << link << " does not exist";
    LinkContents contents = readLinkWithLnkinfo(link);
    if (!contents.read)
        return ::testing::AssertionFailure() << "lnkinfo could not read " << link << ": " << contents.report;
    if (contents.target != target || contents.arguments != arguments || contents.workingDirectory != workingDirectory)
        return ::testing::AssertionFailure() << link << ": target '" << contents.target << "' arguments '"
                                             << contents.arguments << "' working directory '"
                                             << contents.workingDirectory << "'";
    return ::testing::AssertionSuccess();
}
