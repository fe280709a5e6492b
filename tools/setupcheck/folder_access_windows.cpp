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

std::string fromCommandLine(const std::string& text)
{
    return narrow(wide(text, CP_ACP), 932);
}

// The name in Shift_JIS; false when Shift_JIS cannot hold it as it is (it would read back
// as another name): *sjis then shows each such character as <U+XXXX>.
static bool nameIn932(const std::wstring& name, std::string* sjis)
{
    *sjis = narrow(name, 932);
    if (wide(*sjis, 932) == name)
        return true;
    sjis->clear();
    for (size_t i = 0; i < name.size();) {
        size_t length = name[i] >= 0xD800 && name[i] <= 0xDBFF && i + 1 < name.size() ? 2 : 1;
        std::wstring piece = name.substr(i, length);
        std::string unit = narrow(piece, 932);
        if (wide(unit, 932) == piece) {
            *sjis += unit;
        } else {
            unsigned code = length == 2 ? 0x10000 + ((piece[0] - 0xD800) << 10) + (piece[1] - 0xDC00) : piece[0];
            char shown[16];
            wsprintfA(shown, "<U+%04X>", code);
            *sjis += shown;
        }
        i += length;
    }
    return false;
}

static void listFiles(const std::wstring& path, const std::string& relative, std::vector<FolderFile>* files)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        FolderFile file;
        std::string sjis;
        if (!nameIn932(name, &sjis))
            file.problem = "has a name that Shift_JIS (code page 932) cannot hold";
        file.path = relative + sjis;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files->push_back(file);
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            file.problem = "is a link to a folder, which is not followed";
        if (file.problem.empty())
            listFiles(path + name + L"\\", file.path + "\\", files);
        else
            files->push_back(file);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::vector<FolderFile> filesUnder(const std::string& folder)
{
    std::vector<FolderFile> files;
    std::wstring path = wide(folder, CP_ACP);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L"\\";
    listFiles(path, "", &files);
    return files;
}

bool writeFileBytes(const std::string& path, const std::string& bytes, std::string* why)
{
    std::string temporary = path + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr)
              && written == bytes.size();
    if (file != INVALID_HANDLE_VALUE)
        ok = CloseHandle(file) && ok;
    if (ok && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    *why = "cannot be written";
    DeleteFileA(temporary.c_str());
    return false;
}
