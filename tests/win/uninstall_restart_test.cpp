// Removal of the running copy at restart: the delayed move as Wine records it, and the
// WININIT.INI fallback on real files.
#include "app/state.h"
#include "scratch.h"
#include "uninstall/uninstall.h"

#include <gtest/gtest.h>

static const char newLine[] = "NUL=C:\\WINDOWS\\SYSTEM\\SETUP.EXE\r\n";

static std::string rewritten(const std::string& folder, const std::string& before, int* result = nullptr)
{
    std::string ini = folder + "WININIT.INI";
    writeFile(ini, before);
    int written = rewriteRenameSection(ini.c_str(), "C:\\WINDOWS\\SYSTEM\\SETUP.EXE");
    if (result)
        *result = written;
    return readFile(ini);
}

TEST(RestartRemoval, FileWithoutRenameSectionGetsTheSectionAtItsEnd)
{
    std::string folder = scratchFolder("restart-nosection");
    int result = 0;
    std::string after = rewritten(folder, "[Other]\r\nkey=value\r\n", &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(after, std::string("[Other]\r\nkey=value\r\n[Rename]\r\n") + newLine);
}

TEST(RestartRemoval, ExistingLinesComeBackInOrderBeforeTheNewLine)
{
    std::string folder = scratchFolder("restart-lines");
    std::string after = rewritten(folder,
                                  "[Rename]\r\nC:\\NEW.DLL=C:\\OLD.DLL\r\nNUL=C:\\TEMP\\A.TMP\r\n"
                                  "[Other]\r\nkey=value\r\n");
    EXPECT_EQ(after, std::string("[Other]\r\nkey=value\r\n[Rename]\r\nC:\\NEW.DLL=C:\\OLD.DLL\r\n"
                                 "NUL=C:\\TEMP\\A.TMP\r\n") +
                         newLine);
}

TEST(RestartRemoval, RepeatedNulLinesEachKeepTheirOwnValue)
{
    std::string folder = scratchFolder("restart-repeated");
    std::string after = rewritten(folder, "[Rename]\r\nNUL=C:\\A.TMP\r\nNUL=C:\\B.TMP\r\nnul=C:\\C.TMP\r\n");
    EXPECT_EQ(after, std::string("[Rename]\r\nNUL=C:\\A.TMP\r\nNUL=C:\\B.TMP\r\nnul=C:\\C.TMP\r\n") + newLine);
}

TEST(RestartRemoval, EndOfFileMarkIsWrittenOver)
{
    std::string folder = scratchFolder("restart-ctrlz");
    std::string after = rewritten(folder, "[Other]\r\nkey=value\r\n\x1A");
    EXPECT_EQ(after, std::string("[Other]\r\nkey=value\r\n[Rename]\r\n") + newLine);
}

TEST(RestartRemoval, EmptyFileReceivesJustTheSection)
{
    std::string folder = scratchFolder("restart-empty");
    std::string after = rewritten(folder, "");
    EXPECT_EQ(after, std::string("[Rename]\r\n") + newLine);
}

TEST(RestartRemoval, MissingFileIsNotCreated)
{
    std::string folder = scratchFolder("restart-missing");
    std::string ini = folder + "WININIT.INI";
    EXPECT_EQ(rewriteRenameSection(ini.c_str(), "C:\\WINDOWS\\SYSTEM\\SETUP.EXE"), 0);
    EXPECT_FALSE(fileExists(ini));
}

TEST(RestartRemoval, SectionOverThirtyThousandBytesLeavesTheFileAsItWas)
{
    std::string folder = scratchFolder("restart-large");
    std::string before = "[Rename]\r\n";
    for (int i = 0; i < 1300; ++i)
        before += "NUL=C:\\TEMP\\F" + std::to_string(10000 + i) + ".TMP\r\n";  // 24 bytes a line
    ASSERT_GT(before.size(), 30000u);
    int result = 1;
    EXPECT_EQ(rewritten(folder, before, &result), before);
    EXPECT_EQ(result, 0);

    // just under the limit the section is rebuilt, every line kept
    std::string smaller = "[Rename]\r\n";
    for (int i = 0; i < 1200; ++i)
        smaller += "NUL=C:\\TEMP\\F" + std::to_string(10000 + i) + ".TMP\r\n";
    EXPECT_EQ(rewritten(folder, smaller, &result), smaller + newLine);
    EXPECT_EQ(result, 1);
}

TEST(RestartRemoval, LineLongerThanTheWorkAreaLeavesTheFileAsItWas)
{
    std::string folder = scratchFolder("restart-longline");
    std::string before = "[Rename]\r\nNUL=C:\\" + std::string(40000, 'A') + "\r\n";
    int result = 1;
    EXPECT_EQ(rewritten(folder, before, &result), before);
    EXPECT_EQ(result, 0);
}

TEST(RestartRemoval, TheFilesAttributesStayAndAReadOnlyFileIsLeftAsItWas)
{
    // the system refuses to replace a read-only file (Wine, as root, would replace it)
    std::string folder = scratchFolder("restart-attributes");
    std::string ini = folder + "WININIT.INI";
    const std::string before = "[Rename]\r\nNUL=C:\\TEMP\\A.TMP\r\n";
    for (DWORD attributes : { FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM }) {
        SCOPED_TRACE(attributes);
        SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        writeFile(ini, before);
        ASSERT_TRUE(SetFileAttributesA(ini.c_str(), attributes));
        bool rebuilt = !(attributes & FILE_ATTRIBUTE_READONLY);
        for (int run = 0; run < 2; ++run) {     // a run leaves nothing that stops the next one
            EXPECT_EQ(rewriteRenameSection(ini.c_str(), "C:\\WINDOWS\\SYSTEM\\SETUP.EXE"), rebuilt ? 1 : 0);
            EXPECT_EQ(GetFileAttributesA(ini.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE, attributes);
            EXPECT_FALSE(fileExists(ini + ".new"));
        }
        EXPECT_EQ(readFile(ini), rebuilt ? before + newLine + newLine : before);
    }
}

TEST(RestartRemoval, ANewFileThatThisRunDidNotMakeIsNeitherUsedNorDeleted)
{
    // another run's, under way or ended midway (read-only, as a read-only file's copy was)
    std::string folder = scratchFolder("restart-othernew");
    writeFile(folder + "WININIT.INI.new", "another run's");
    SetFileAttributesA((folder + "WININIT.INI.new").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string before = "[Rename]\r\nNUL=C:\\TEMP\\A.TMP\r\n";
    EXPECT_EQ(rewritten(folder, before), before);
    EXPECT_EQ(readFile(folder + "WININIT.INI.new"), "another run's");
}

static std::string pendingRenames()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return "";
    char value[65536];
    DWORD size = sizeof value;
    LONG read = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, (BYTE*)value, &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        return "";
    std::string text(value, size);
    for (char& c : text)
        if (c == 0)
            c = '|';
    return text;
}

TEST(RestartRemoval, DelayedDeletionIsRecordedAndWininitIsNotTouched)
{
    std::string folder = scratchFolder("restart-delayed");
    std::string file = folder + "COPY.EXE";
    writeFile(file, "MZ");
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    std::string wininit = std::string(windowsDir) + "\\WININIT.INI";
    std::string wininitBefore = readFile(wininit);
    bool wininitExisted = fileExists(wininit);

    scheduleRemovalAtRestart(file.c_str());

    EXPECT_NE(pendingRenames().find(file), std::string::npos) << pendingRenames();
    EXPECT_TRUE(fileExists(file));  // only at restart
    EXPECT_EQ(fileExists(wininit), wininitExisted);
    EXPECT_EQ(readFile(wininit), wininitBefore);
}

TEST(RestartRemoval, AFileHeldByAnotherProcessIsRebuiltWholeOrNotAtAll)
{
    // handles of another process that leave our writes no room: the old lines must never
    // go unless the new section is written whole (a holder that writes and shares reading
    // and writing once let the section's deletion through and then refused the append)
    std::string folder = scratchFolder("restart-held");
    std::string ini = folder + "WININIT.INI";
    const std::string before = "[Rename]\r\nNUL=C:\\TEMP\\A.TMP\r\n[Other]\r\nkey=value\r\n";
    const std::string rebuilt = std::string("[Other]\r\nkey=value\r\n[Rename]\r\nNUL=C:\\TEMP\\A.TMP\r\n") + newLine;
    const struct { DWORD access, share; } holders[] = {
        { GENERIC_READ, FILE_SHARE_READ },
        { GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ },
        { GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE },
        { GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE },
        { GENERIC_READ | GENERIC_WRITE, 0 },
    };
    for (const auto& holder : holders) {
        SCOPED_TRACE("access " + std::to_string(holder.access >> 28) + ", sharing " + std::to_string(holder.share));
        writeFile(ini, before);
        HANDLE held = CreateFileA(ini.c_str(), holder.access, holder.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        int result = rewriteRenameSection(ini.c_str(), "C:\\WINDOWS\\SYSTEM\\SETUP.EXE");
        CloseHandle(held);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(readFile(ini), before);
        EXPECT_FALSE(fileExists(ini + ".new"));
    }
    // once let go, the same file is rebuilt
    EXPECT_EQ(rewritten(folder, before), rebuilt);
}
