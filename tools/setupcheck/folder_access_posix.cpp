// The checker's file system on Linux: names are UTF-8 there and compared without regard
// to ASCII case, so that a folder made for Windows is checked as Windows would see it.
#include "folder_access.h"

#include <dirent.h>
#include <errno.h>
#include <iconv.h>
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
