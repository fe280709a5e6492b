// The program reads its manifest once and looks entries up in memory: every entry of the
// INI corpus must read exactly as the platform's profile reader reads it key by key, in
// the code page the tests run under (932, and 1252 in the second run).
#include "app/state.h"
#include "ini_questions.h"
#include "manifest/entries.h"
#include "manifest/ini_text.h"
#include "manifest/previous.h"
#include "manifest/profile_text.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

static void useManifestPath(const std::string& path)
{
    resetSetupState();
    strcpy(setup.manifestPath, path.c_str());
    strcpy(setup.destDir, "C:\\Korval\\");
}

// The program's reading of a value before the one-read change: GetPrivateProfileStringA
// into a 261-byte buffer, a result of 260 bytes or more being too long.
static ValueRead readPerKey(const std::string& path, const char* section, int number, std::string* value)
{
    char buffer[PATH_SIZE + 1];
    char key[16];
    wsprintfA(key, "%d", number);
    DWORD length = GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, path.c_str());
    value->clear();
    if (length == 0)
        return VALUE_ABSENT;
    if (length >= PATH_SIZE)
        return VALUE_TOO_LONG;
    value->assign(buffer, length);
    return VALUE_READ;
}

TEST(ManifestReading, EveryNumberedEntryOfTheCorpusReadsAsThePerKeyRead)
{
    for (const char* file : iniCorpusFiles) {
        std::string path = std::string(INI_CORPUS_DIR "\\") + file;
        useManifestPath(path);
        for (const char* section : iniCorpusSections) {
            for (int number = 1; number <= 14; ++number) {
                SCOPED_TRACE(std::string(file) + " [" + section + "] " + std::to_string(number));
                std::string expected;
                ValueRead platform = readPerKey(path, section, number, &expected);
                char buffer[PATH_SIZE];
                ValueRead program = readManifestValue(section, number, buffer);
                EXPECT_EQ(program, platform);
                EXPECT_EQ(hexBytes(buffer), hexBytes(expected));
            }
        }
    }
}

TEST(ManifestReading, TheSharedParserGivesThePlatformsValueForEveryQuestion)
{
    static char expected[65536];
    for (const char* file : iniCorpusFiles) {
        std::string path = std::string(INI_CORPUS_DIR "\\") + file;
        size_t size = 0;
        char* text = readProfileText(path.c_str(), CP_ACP, &size);
        ASSERT_NE(text, nullptr) << file;
        for (const char* section : iniCorpusSections) {
            for (const char* key : iniCorpusKeys) {
                SCOPED_TRACE(std::string(file) + " [" + section + "] " + key);
                DWORD length = GetPrivateProfileStringA(section, key, "", expected, sizeof expected, path.c_str());
                IniLine line;
                std::string value;
                if (iniFindValue(text, size, section, key, &line))
                    value.assign(line.value, line.valueLength);
                EXPECT_EQ(hexBytes(value), hexBytes(std::string(expected, length)));
            }
        }
        freeProfileText(text);
    }
}

TEST(ManifestReading, FourThousandEntriesAreCountedAndReadInAnyOrder)
{
    std::string folder = scratchFolder("manifest-4000");
    std::string text = "[Group]\r\n1=Main,f1.dat\r\n[Install]\r\n";
    for (int i = 4000; i >= 1; --i)
        text += std::to_string(i) + "=f" + std::to_string(i) + ".dat\r\n";
    text += "4002=after.gap\r\n17=repeated\r\n";
    writeFile(folder + "SETUP.inf", text);
    useManifestPath(folder + "SETUP.inf");
    loadPreviousInstall();
    EXPECT_EQ(setup.installCount, 4000);
    EXPECT_EQ(setup.groupCount, 1);
    for (int number : { 4000, 1, 17, 2500 }) {
        EXPECT_EQ(loadInstallEntry(number), 1);
        EXPECT_EQ(std::string(setup.entryValue), "f" + std::to_string(number) + ".dat");
    }
    EXPECT_EQ(loadInstallEntry(4001), 0);
    char buffer[PATH_SIZE];
    EXPECT_EQ(readManifestValue("Install", 4002, buffer), VALUE_READ);     // beyond the index: found by a scan
    EXPECT_STREQ(buffer, "after.gap");
}

TEST(ManifestReading, AMissingFileOrSectionReadsAsNoEntries)
{
    useManifestPath(scratchFolder("manifest-missing") + "SETUP.inf");
    char buffer[PATH_SIZE];
    EXPECT_EQ(readManifestValue("Install", 1, buffer), VALUE_ABSENT);
    loadPreviousInstall();
    EXPECT_EQ(setup.installCount, 0);
    EXPECT_EQ(setup.groupCount, 0);
}
