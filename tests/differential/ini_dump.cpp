// Prints, for every file of the INI corpus and every section and key asked, the value a
// profile reader gives, and the install and group entries read from it and from the
// checker's manifests: built for Windows it asks the platform (GetPrivateProfileStringA)
// and the program's readers, built natively the checker. The two listings must be identical.
// Usage: ini_dump CORPUS_FOLDER (with its trailing separator)
#include "ini_questions.h"

#include <stdio.h>
#include <string.h>

#include <string>

static void printHex(const std::string& text)
{
    for (unsigned char c : text)
        printf(" %02X", c);
}

// One entry: its number, the source or link name, and the target (empty for none).
static void printEntry(const char* file, const char* section, int number, const std::string& first,
                       const std::string& target)
{
    printf("%s [%s] entry %d:", file, section, number);
    printHex(first);
    printf(" >");
    printHex(target);
    printf("\n");
}

#ifdef _WIN32
#include "app/state.h"
#include "manifest/entries.h"
#include "manifest/previous.h"
#include "util/text.h"

#include <windows.h>

static std::string valueOf(const std::string& path, const char* section, const char* key)
{
    static char buffer[65536];
    DWORD length = GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, path.c_str());
    return std::string(buffer, length);
}

// The entries as the program reads them, with its destination C:\Korval\.
static void printEntries(const std::string& path, const char* file)
{
    resetSetupState();
    textCopy(setup.manifestPath, sizeof setup.manifestPath, path.c_str());
    loadPreviousInstall();
    textCopy(setup.destDir, sizeof setup.destDir, "C:\\Korval\\");
    printf("%s: %d install entries, %d group entries\n", file, setup.installCount, setup.groupCount);
    for (int n = 1; n <= setup.installCount; ++n) {
        loadInstallEntry(n);
        printEntry(file, "Install", n, setup.entryValue, setup.entryTarget);
    }
    for (int n = 1; n <= setup.groupCount; ++n) {
        loadGroupEntry(n);
        printEntry(file, "Group", n, setup.entryValue, setup.entryValue[0] ? setup.entryTarget : "");
    }
}
#else
#include "check_manifest.h"

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

static int entryCount(const std::vector<EntryReading>& entries)
{
    return (int)entries.size() - (!entries.empty() && entries.back().endsList ? 1 : 0);
}

// The entries as the checker reads them.
static void printEntries(const std::string& path, const char* file)
{
    size_t size = 0;
    char* text = readProfileText(path.c_str(), 932, &size);
    ManifestReading reading = readManifestEntries(text ? std::string(text, size) : std::string());
    freeProfileText(text);
    int installs = entryCount(reading.install), groups = entryCount(reading.group);
    printf("%s: %d install entries, %d group entries\n", file, installs, groups);
    for (int n = 1; n <= installs; ++n) {
        const EntryReading& e = reading.install[n - 1];
        printEntry(file, "Install", n, e.first, e.target);
    }
    for (int n = 1; n <= groups; ++n) {
        const EntryReading& e = reading.group[n - 1];
        printEntry(file, "Group", n, e.target.empty() ? "" : e.first, e.target);
    }
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
                printHex(value);
                printf("\n");
            }
        }
    }
    for (const char* file : iniCorpusFiles)
        printEntries(std::string(argv[1]) + file, file);
    for (const char* file : checkerCaseManifests)
        printEntries(std::string(argv[1]) + file, file);
    return 0;
}
