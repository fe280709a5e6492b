// The checker's file system on Windows: names go through UTF-16, so that Shift_JIS names
// are found whatever the code page of the machine the checker runs on.
#include "folder_access.h"

#include <windows.h>

static std::wstring wide(const std::string& text, UINT codePage)
{
    int units = MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring result(units, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), &result[0], units);
    return result;
}

static std::string narrow(const std::wstring& text, UINT codePage)
{
    int length = WideCharToMultiByte(codePage, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string result(length, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), (int)text.size(), &result[0], length, nullptr, nullptr);
    return result;
}

bool readFileBytes(const std::string& path, std::string* bytes, std::string* why)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND ? "no such file"
                                                                                                 : "cannot be opened";
        return false;
    }
    bytes->clear();
    char buffer[65536];
    DWORD read = 0;
    BOOL ok;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr)) && read > 0)
        bytes->append(buffer, read);
    CloseHandle(file);
    if (!ok)
        *why = "read error";
    return ok != FALSE;
}

bool sourceExists(const std::string& folder, const std::string& relative)
{
    std::wstring path = wide(folder, CP_ACP) + wide(relative, 932);
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((wide(folder, CP_ACP) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(narrow(found.cFileName, 932));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string forDisplay(const std::string& text)
{
    return text;                // the console is switched to code page 932
}
