// Prints, for every file of the INI corpus and every section and key asked, the value a
// profile reader gives: built for Windows it asks the platform (GetPrivateProfileStringA),
// built natively it asks the checker's reader. The two listings must be identical.
// Usage: ini_dump CORPUS_FOLDER (with its trailing separator)
#include "ini_questions.h"

#include <stdio.h>
#include <string.h>

#include <string>

#ifdef _WIN32
#include <windows.h>

static std::string valueOf(const std::string& path, const char* section, const char* key)
{
    static char buffer[65536];
    DWORD length = GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, path.c_str());
    return std::string(buffer, length);
}
#else
#include "manifest/ini_text.h"
#include "manifest/profile_text.h"

static std::string valueOf(const std::string& path, const char* section, const char* key)
{
    size_t size = 0;
    char* text = readProfileText(path.c_str(), 932, &size);
    if (text == nullptr)
        return std::string();
    IniLine line;
    std::string value;
    if (iniFindValue(text, size, section, key, &line))
        value.assign(line.value, line.valueLength);
    freeProfileText(text);
    return value;
}
#endif

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: ini_dump CORPUS_FOLDER\n");
        return 2;
    }
    for (const char* file : iniCorpusFiles) {
        std::string path = std::string(argv[1]) + file;
        for (const char* section : iniCorpusSections) {
            for (const char* key : iniCorpusKeys) {
                std::string value = valueOf(path, section, key);
                printf("%s [%s] %s:", file, section, key);
                for (unsigned char c : value)
                    printf(" %02X", c);
                printf("\n");
            }
        }
    }
    return 0;
}
