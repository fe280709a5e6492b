// One install entry at a time, in process: what installOneEntry does with what the reader left.
#include "app/state.h"
#include "manifest/entries.h"
#include "scratch.h"
#include "wizard/wizard.h"

#include <gtest/gtest.h>

#include <string.h>

// A distribution folder as current directory and a destination; the manifest's Install section.
static std::string prepare(const std::string& name, const std::string& installSection)
{
    resetSetupState();
    std::string dist = scratchFolder(name);
    std::string dest = scratchFolder(name + "-dest");
    writeFile(dist + "SETUP.inf", "[Install]\r\n" + installSection);
    strcpy(setup.manifestPath, (dist + "SETUP.inf").c_str());
    strcpy(setup.destDir, dest.c_str());
    SetCurrentDirectoryA(dist.c_str());
    return dist;
}

TEST(InstallOneEntry, AnEntryTooLongForAPathFailsAndTouchesNothing)
{
    std::string longName = std::string(120, 'a') + "\\" + std::string(120, 'b') + ".txt";
    std::string dist = prepare("entry-long", "1=x.txt," + longName + "\r\n2=," + longName + "\r\n");
    writeFile(dist + "x.txt", "x");
    for (int entry = 1; entry <= 2; ++entry) {
        SCOPED_TRACE(entry);
        ASSERT_EQ(loadInstallEntry(entry), 1);
        EXPECT_EQ(setup.entryTarget[0], 0);
        EXPECT_EQ(installOneEntry(), 0);
        // no folder level made, nothing copied or deleted under a cut name
        EXPECT_TRUE(namesInFolder(setup.destDir).empty());
    }
}

TEST(InstallOneEntry, ASourceThatIsMissingFailsWithoutAMessage)
{
    prepare("entry-missing", "1=sub\\missing.txt\r\n");
    ASSERT_EQ(loadInstallEntry(1), 1);
    EXPECT_EQ(installOneEntry(), 0);
    // the folder levels are still made when the copy fails
    EXPECT_TRUE(folderExists(std::string(setup.destDir) + "sub"));
}

TEST(InstallOneEntry, ATrailByte0x5CInAFolderNameIsNoSeparator)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "ソ is one character only in code page 932";
    // ソ is 83 5C: the folder is ソフト, one level
    std::string dist = prepare("entry-dbcs", "1=a.txt,ソフト\\a.txt\r\n");
    writeFile(dist + "a.txt", "a");
    ASSERT_EQ(loadInstallEntry(1), 1);
    EXPECT_EQ(installOneEntry(), 1);
    EXPECT_EQ(readFile(std::string(setup.destDir) + "ソフト\\a.txt"), "a");
    EXPECT_EQ(namesInFolder(setup.destDir).size(), 1u);
}

// A small file is copied at once; one past 256 KiB is finished, given its time and closed by a
// thread of its own. Either way the target is the source's bytes, last-write time and
// attributes, whole by the time the step returns.
TEST(InstallOneEntry, SmallAndLargeFilesArriveWholeWithTheSourcesTimeAndAttributes)
{
    std::string dist = prepare("entry-sizes", "1=small.bin,a\\small.bin\r\n2=large.bin,a\\b\\large.bin\r\n");
    std::string large(3 * 1024 * 1024 + 17, 0);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = (char)(i * 131 + i / 4096);
    writeFile(dist + "small.bin", "small");
    writeFile(dist + "large.bin", large);
    FILETIME past = { 0x12345600, 0x01c00000 };     // the 1990s
    for (const char* name : { "small.bin", "large.bin" }) {
        HANDLE file = CreateFileA((dist + name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &past);
        CloseHandle(file);
        SetFileAttributesA((dist + name).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    }
    const char* targets[] = { "a\\small.bin", "a\\b\\large.bin" };
    for (int entry = 1; entry <= 2; ++entry) {
        SCOPED_TRACE(entry);
        ASSERT_EQ(loadInstallEntry(entry), 1);
        ASSERT_EQ(installOneEntry(), 1);
        std::string target = std::string(setup.destDir) + targets[entry - 1];
        EXPECT_EQ(readFile(target), entry == 1 ? std::string("small") : large);
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &past), 0);
        EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);      // the scratch folder is removed
    }
    for (const char* name : { "small.bin", "large.bin" })
        SetFileAttributesA((dist + name).c_str(), FILE_ATTRIBUTE_NORMAL);
}
