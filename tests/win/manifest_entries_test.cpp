// Install and group entries read from a real manifest file through the profile reader.
#include "app/state.h"
#include "manifest/entries.h"
#include "manifest/previous.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <string.h>

// A setup context whose manifest (SETUP.inf) holds the given text, with destDir C:\Korval\.
static std::string useManifest(const std::string& name, const std::string& text)
{
    resetSetupState();
    std::string folder = scratchFolder(name);
    writeFile(folder + "SETUP.inf", text);
    strcpy(setup.baseDir, folder.c_str());
    strcpy(setup.exeName, "SETUP.EXE");
    strcpy(setup.manifestName, "SETUP.inf");
    strcpy(setup.manifestPath, (folder + "SETUP.inf").c_str());
    strcpy(setup.destDir, "C:\\Korval\\");
    return folder;
}

TEST(LoadInstallEntry, WorkedExamplesFromAFile)
{
    useManifest("manifest-install", "[Install]\r\n1=main.exe\r\n2=doc\\readme.txt\r\n3=readme.new,doc\\readme.txt\r\n"
                                    "4=,old.dll\r\n5=main.exe,\r\n6=a,b,c\r\n8=after.gap\r\n");
    struct Row {
        int number;
        const char* value;
        const char* target;
        const char* tail;
        int result;
    } rows[] = {
        { -1, "SETUP.EXE", "C:\\Korval\\SETUP.EXE", "SETUP.EXE", 1 },
        { 0, "SETUP.inf", "C:\\Korval\\SETUP.inf", "SETUP.inf", 1 },
        { 1, "main.exe", "C:\\Korval\\main.exe", "main.exe", 1 },
        { 2, "doc\\readme.txt", "C:\\Korval\\doc\\readme.txt", "doc\\readme.txt", 1 },
        { 3, "readme.new", "C:\\Korval\\doc\\readme.txt", "doc\\readme.txt", 1 },
        { 4, "", "C:\\Korval\\old.dll", "old.dll", 1 },
        { 5, "main.exe", "C:\\Korval\\", "", 1 },
        { 6, "a", "C:\\Korval\\b,c", "b,c", 1 },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(loadInstallEntry(row.number), row.result) << row.number;
        EXPECT_STREQ(setup.entryValue, row.value) << row.number;
        EXPECT_STREQ(setup.entryTarget, row.target) << row.number;
        EXPECT_STREQ(setup.targetTail, row.tail) << row.number;
    }
    char* tail = setup.targetTail;
    EXPECT_EQ(loadInstallEntry(7), 0);
    EXPECT_STREQ(setup.entryValue, "");
    EXPECT_STREQ(setup.entryTarget, "");
    EXPECT_EQ(setup.targetTail, tail);          // unchanged
}

TEST(LoadGroupEntry, WorkedExamplesFromAFile)
{
    useManifest("manifest-group", "[Group]\r\n1=Main program,main.exe\r\n2=Read me,doc\\readme.txt\r\n"
                                  "3=Tool,tool.exe,-q\r\n4=main.exe\r\n5=,main.exe\r\n");
    loadGroupEntry(1);
    EXPECT_STREQ(setup.entryValue, "Main program");
    EXPECT_STREQ(setup.entryTarget, "C:\\Korval\\main.exe");
    loadGroupEntry(3);
    EXPECT_STREQ(setup.entryValue, "Tool");
    EXPECT_STREQ(setup.entryTarget, "C:\\Korval\\tool.exe,-q");
    loadGroupEntry(4);
    EXPECT_STREQ(setup.entryValue, "");
    EXPECT_STREQ(setup.entryTarget, "C:\\Korval\\tool.exe,-q");
    loadGroupEntry(5);
    EXPECT_STREQ(setup.entryValue, "");
    EXPECT_STREQ(setup.entryTarget, "C:\\Korval\\main.exe");
    loadGroupEntry(6);
    EXPECT_STREQ(setup.entryValue, "");
    EXPECT_STREQ(setup.entryTarget, "C:\\Korval\\main.exe");
}

TEST(LoadInstallEntry, ValueOf259BytesIsUsedAndLongerOnesNameNothing)
{
    std::string exact = std::string(250, 's') + ",t.dat";   // 256 bytes
    std::string v259 = std::string(259, 'a');
    std::string v260 = std::string(260, 'b');
    std::string v600 = std::string(600, 'c');
    useManifest("manifest-long", "[Install]\r\n1=" + v259 + "\r\n2=" + v260 + "\r\n3=" + v600 + "\r\n4=" + exact +
                                     "\r\n5=last.dat\r\n");
    strcpy(setup.destDir, "C:\\");
    // 259 bytes read whole; the target "C:\" + 259 bytes does not fit and names nothing
    EXPECT_EQ(loadInstallEntry(1), 1);
    EXPECT_EQ(std::string(setup.entryValue), v259);
    EXPECT_STREQ(setup.entryTarget, "");
    for (int n : { 2, 3 }) {
        EXPECT_EQ(loadInstallEntry(n), 1) << n;     // still an entry: the count goes on past it
        EXPECT_STREQ(setup.entryValue, "") << n;
        EXPECT_STREQ(setup.entryTarget, "") << n;
    }
    EXPECT_EQ(loadInstallEntry(4), 1);
    EXPECT_STREQ(setup.entryTarget, "C:\\t.dat");
    loadPreviousInstall();
    EXPECT_EQ(setup.installCount, 5);
}

TEST(LoadPreviousInstall, CountsStopAtTheFirstGap)
{
    useManifest("manifest-count", "[Install]\r\n1=a\r\n2=b\r\n4=d\r\n[Group]\r\n1=A,a\r\n2=B\r\n3=C,c\r\n");
    loadPreviousInstall();
    EXPECT_EQ(setup.installCount, 2);
    EXPECT_EQ(setup.groupCount, 1);
    EXPECT_STREQ(setup.entryValue, "");
}

TEST(LoadPreviousInstall, MissingManifestCountsNothing)
{
    useManifest("manifest-missing", "");
    DeleteFileA(setup.manifestPath);
    loadPreviousInstall();
    EXPECT_EQ(setup.installCount, 0);
    EXPECT_EQ(setup.groupCount, 0);
}
