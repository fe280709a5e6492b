// The checker's file system on Linux: names are UTF-8 there and compared without regard
// to ASCII case, so that a folder made for Windows is checked as Windows would see it.
#include "folder_access.h"

#include <dirent.h>
#include <errno.h>
#include <iconv.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

static bool convert(const char* to, const char* from, const std::string& text, std::string* out)
{
    iconv_t handle = iconv_open(to, from);
    if (handle == (iconv_t)-1)
        return false;
    out->clear();
    char* in = (char*)text.data();
    size_t left = text.size();
    bool ok = true;
    while (left > 0 && ok) {
        char buffer[256];
        char* to_ = buffer;
        size_t room = sizeof buffer;
        size_t done = iconv(handle, &in, &left, &to_, &room);
        out->append(buffer, to_ - buffer);
        ok = done != (size_t)-1 || errno == E2BIG;
    }
    iconv_close(handle);
    return ok;
}

bool readFileBytes(const std::string& path, std::string* bytes, std::string* why)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        *why = strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *why = "not a file";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    if (!file) {
        *why = "read error";
        return false;
    }
    *bytes = content.str();
    return true;
}

static std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

// The entry of folder whose name is name without regard to ASCII case, or "".
static std::string findEntry(const std::string& folder, const std::string& name)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return std::string();
    std::string found;
    while (dirent* entry = readdir(dir)) {
        if (lowerAscii(entry->d_name) == lowerAscii(name)) {
            found = entry->d_name;
            if (found == name)
                break;
        }
    }
    closedir(dir);
    return found;
}

bool sourceExists(const std::string& folder, const std::string& relative)
{
    std::string utf8;
    if (!convert("UTF-8", "CP932", relative, &utf8))
        return false;
    std::string path = folder;
    size_t start = 0;
    while (start <= utf8.size()) {
        size_t end = utf8.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = utf8.size();
        std::string part = utf8.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        std::string entry = part == ".." ? part : findEntry(path, part);
        if (entry.empty())
            return false;
        path += (path.empty() || path.back() == '/' ? "" : "/") + entry;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return names;
    while (dirent* entry = readdir(dir)) {
        std::string name;
        if (entry->d_name[0] != '.' && convert("CP932", "UTF-8", entry->d_name, &name))
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

std::string forDisplay(const std::string& text)
{
    std::string utf8;
    return convert("UTF-8", "CP932", text, &utf8) ? utf8 : text;
}

std::string fromCommandLine(const std::string& text)
{
    std::string sjis;
    return convert("CP932", "UTF-8", text, &sjis) ? sjis : text;
}

// The UTF-8 name in Shift_JIS; false when Shift_JIS cannot hold it as it is (it would read
// back as another name): *sjis then shows each such character as <U+XXXX>, and a byte
// that is no UTF-8 as <0xXX>.
static bool nameIn932(const std::string& utf8, std::string* sjis)
{
    std::string back;
    if (convert("CP932", "UTF-8", utf8, sjis) && convert("UTF-8", "CP932", *sjis, &back) && back == utf8)
        return true;
    sjis->clear();
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = (unsigned char)utf8[i];
        size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::string piece = utf8.substr(i, length), unit;
        char shown[16];
        if (convert("CP932", "UTF-8", piece, &unit) && convert("UTF-8", "CP932", unit, &back) && back == piece) {
            *sjis += unit;
        } else if (length > 1 && piece.size() == length && convert("UTF-32BE", "UTF-8", piece, &unit) && unit.size() == 4) {
            unsigned code = (unsigned char)unit[1] << 16 | (unsigned char)unit[2] << 8 | (unsigned char)unit[3];
            snprintf(shown, sizeof shown, "<U+%04X>", code);
            *sjis += shown;
        } else {
            snprintf(shown, sizeof shown, "<0x%02X>", lead);
            *sjis += shown;
            length = 1;
        }
        i += length;
    }
    return false;
}

static void listFiles(const std::string& path, const std::string& relative, std::vector<FolderFile>* files)
{
    DIR* dir = opendir(path.empty() ? "." : path.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            names.push_back(entry->d_name);
    closedir(dir);
    for (const std::string& name : names) {
        std::string full = path + (path.empty() || path.back() == '/' ? "" : "/") + name;
        FolderFile file;
        std::string sjis;
        bool named = nameIn932(name, &sjis);
        file.path = relative + sjis;
        if (!named)
            file.problem = "has a name that Shift_JIS (code page 932) cannot hold";
        else if (name.find('\\') != std::string::npos)
            file.problem = "has a backslash in its name, which separates folders on Windows";
        struct stat info, link;
        if (stat(full.c_str(), &info) != 0 || lstat(full.c_str(), &link) != 0)
            continue;               // a link to nothing
        if (S_ISDIR(info.st_mode)) {
            if (S_ISLNK(link.st_mode))
                file.problem = "is a link to a folder, which is not followed";
            if (file.problem.empty())
                listFiles(full, file.path + "\\", files);
            else
                files->push_back(file);
        } else if (S_ISREG(info.st_mode)) {
            files->push_back(file);
        }
    }
}

std::vector<FolderFile> filesUnder(const std::string& folder)
{
    std::vector<FolderFile> files;
    listFiles(folder, "", &files);
    return files;
}

bool writeFileBytes(const std::string& path, const std::string& bytes, std::string* why)
{
    std::string temporary = path + ".new";
    FILE* file = fopen(temporary.c_str(), "wb");
    bool written = file != nullptr && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr && fclose(file) != 0)
        written = false;
    if (written && rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    *why = strerror(errno);
    remove(temporary.c_str());
    return false;
}
