// Test support: reading .lnk files with lnkinfo (see lnk_check.h).
//
// Wine starts a Unix program when CreateProcess is given its path on drive Z:, but cannot
// wait for it or pipe its output; the report goes to a file that is renamed into place
// when lnkinfo has ended, and the test polls for that name.
#include "lnk_check.h"

#include <windows.h>

#include <string.h>

static std::string unixPath(const std::string& windowsPath)
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

static std::string readWhole(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string content;
    char buffer[4096];
    DWORD got;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
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

// lnkinfo writes UTF-8; the program's paths are compared in code page 932.
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
    static int serial = 0;
    char name[64];
    wsprintfA(name, "C:\\setuptests\\lnkinfo-%lu-%d", GetCurrentProcessId(), ++serial);
    std::string report = name;
    CreateDirectoryA("C:\\setuptests", nullptr);
    std::string unixLink = unixPath(path);
    std::string unixReport = unixPath(report + ".txt");
    if (unixLink.empty() || unixReport.empty())
        return contents;
    std::string command = "Z:\\bin\\sh -c \"/usr/bin/lnkinfo -c windows-932 '" + unixLink + "' > '" + unixReport +
                          ".tmp' 2>&1; mv '" + unixReport + ".tmp' '" + unixReport + "'\"";
    // the Unix paths are UTF-8: pass the command line as UTF-16, not through the ANSI code page
    WCHAR wideCommand[4096];
    if (!MultiByteToWideChar(CP_UTF8, 0, command.c_str(), -1, wideCommand, 4096))
        return contents;
    STARTUPINFOW startup = { sizeof startup };
    PROCESS_INFORMATION process;
    if (!CreateProcessW(nullptr, wideCommand, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return contents;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 500 && GetFileAttributesA((report + ".txt").c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(20);
    contents.report = readWhole(report + ".txt");
    DeleteFileA((report + ".txt").c_str());
    contents.read = contents.report.find("Windows Shortcut information") != std::string::npos;
    contents.target = utf8ToAnsi(field(contents.report, "Local path"));
    contents.arguments = utf8ToAnsi(field(contents.report, "Command line arguments"));
    contents.workingDirectory = utf8ToAnsi(field(contents.report, "Working directory"));
    return contents;
}
