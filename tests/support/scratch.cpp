// Test support: throwaway folders, files and registry keys (see scratch.h).
#include "scratch.h"
#include "test_guard.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>

std::string scratchFolder(const std::string& name)
{
    CreateDirectoryA("C:\\setuptests", nullptr);
    std::string folder = "C:\\setuptests\\" + name;
    deleteTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

void deleteTree(const std::string& folder)
{
    std::string base = folder;
    // a trail byte 0x5C (表, ソ) is not a separator
    if (!base.empty() && CharPrevA(base.c_str(), base.c_str() + base.size()) == base.c_str() + base.size() - 1
        && base.back() == '\\')
        base.pop_back();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = base + "\\" + name;
            // a name the code page cannot hold reads as a look-alike: the short name is its own
            if (found.cAlternateFileName[0] && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
                path = base + "\\" + found.cAlternateFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // a link: only the link goes, never what it leads to
                if (!RemoveDirectoryA(path.c_str()))
                    DeleteFileA(path.c_str());
                continue;
            }
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                deleteTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(base.c_str());
}

void writeFile(const std::string& path, const std::string& content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), (DWORD)content.size(), &written, nullptr);
    CloseHandle(file);
}

void writeSparseFile(const std::string& path, LONGLONG size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

std::string readFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

bool fileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

LONGLONG fileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((LONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

bool folderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> namesInFolder(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void setRegistryText(HKEY root, const std::string& key, const std::string& name, const std::string& value)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, name.c_str(), 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(handle);
}

bool registryKeyExists(HKEY root, const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

void deleteRegistryKey(HKEY root, const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS) {
        char name[256];
        while (RegEnumKeyA(handle, 0, name, sizeof name) == ERROR_SUCCESS) {
            deleteRegistryKey(root, key + "\\" + name);
            if (registryKeyExists(root, key + "\\" + name))
                break;
        }
        RegCloseKey(handle);
    }
    RegDeleteKeyA(root, key.c_str());
}

std::string shellFolder(const char* name)
{
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name,
                 RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

std::string hexBytes(const std::string& text)
{
    std::string out;
    char part[4];
    for (unsigned char c : text) {
        snprintf(part, sizeof part, "%02X ", c);
        out += part;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

DWORD runProcess(const std::string& commandLine, const std::string& currentDir, DWORD timeoutMs, const std::string& log)
{
    STARTUPINFOA startup = { sizeof startup };
    PROCESS_INFORMATION process;
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &process))
        return (DWORD)-2;
    DWORD code = (DWORD)-1;
    Waiting waiting("the command to end: " + commandLine);
    LONGLONG logSize = -1;
    DWORD start = GetTickCount(), grown = start, ended;
    while ((ended = WaitForSingleObject(process.hProcess, 100)) == WAIT_TIMEOUT && GetTickCount() - start < timeoutMs) {
        if (!log.empty() && fileSize(log) != logSize) {
            logSize = fileSize(log);
            grown = GetTickCount();
        }
        if (!log.empty() && GetTickCount() - grown > 10000) {
            ADD_FAILURE() << "no progress for 10 s (" << log << " stood still) while running: " << commandLine;
            break;
        }
    }
    if (ended == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::string testProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

const wchar_t foreignName[] = L"Zo\u00EB \uD55C";

std::wstring widened(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), &wide[0], (int)wide.size()));
    return wide;
}

std::string shortPathOf(const std::wstring& path)
{
    wchar_t shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    char text[MAX_PATH];
    BOOL lossy = FALSE;
    if (length == 0 || length >= MAX_PATH
        || !WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortPath, -1, text, sizeof text, "?", &lossy) || lossy)
        return "";
    return text;
}
