// Window placement, the plain-file probe, free space, the lead-byte test of the system's
// code page, and names the code page cannot hold, on the real platform.
#include "app/state.h"
#include "scratch.h"
#include "util/system_names.h"
#include "util/text.h"
#include "util/window.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

TEST(CenterWindow, CentresOnTheFullScreenWhereverTheWindowStood)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 7, 9, 400, 300, nullptr, nullptr, nullptr, nullptr);
    centerWindow(window);
    RECT r;
    GetWindowRect(window, &r);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, (width - 400) / 2);
    EXPECT_EQ(r.top, (height - 300) / 2);
    EXPECT_EQ(r.right - r.left, 400);
    // three pixels wider than the screen: -1, not -2
    SetWindowPos(window, nullptr, 50, 50, width + 3, 300, SWP_NOZORDER);
    centerWindow(window);
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, -1);
    DestroyWindow(window);
}

TEST(FileStamp, NonZeroOnlyForAnExistingPlainFile)
{
    std::string folder = scratchFolder("file-stamp");
    EXPECT_EQ(fileStamp((folder + "missing").c_str()), 0u);
    EXPECT_EQ(fileStamp(folder.substr(0, folder.size() - 1).c_str()), 0u);
    writeFile(folder + "a.txt", "x");
    EXPECT_NE(fileStamp((folder + "a.txt").c_str()), 0u);
    // a last-write time before 1980 is outside the FAT range: counted as absent
    HANDLE file = CreateFileA((folder + "a.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SYSTEMTIME old = { 1975, 1, 0, 1, 12, 0, 0, 0 };
    FILETIME time;
    SystemTimeToFileTime(&old, &time);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    EXPECT_EQ(fileStamp((folder + "a.txt").c_str()), 0u);
}

TEST(FreeBytesOnDestination, DriveFormAloneIsQueried)
{
    resetSetupState();
    strcpy(setup.destDir, "C:\\Korval\\");
    ULARGE_INTEGER free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &free, nullptr, nullptr));
    uint64_t bytes = freeBytesOnDestination();
    EXPECT_GT(bytes, 0u);
    // the figures come from the same filesystem; allow for other writers in between
    EXPECT_NEAR((double)bytes, (double)free.QuadPart, 64.0 * 1024 * 1024);
    strcpy(setup.destDir, "\\\\server\\share\\");
    EXPECT_EQ(freeBytesOnDestination(), 0u);
    strcpy(setup.destDir, "Q:\\nowhere\\");
    EXPECT_EQ(freeBytesOnDestination(), 0u);
}

// The double-byte rules follow the system's ANSI code page: C:\Café\ (E9 5C) ends in a
// backslash under code page 1252, while under 932 0xE9 is a lead byte and 5C its trail.
TEST(EnsureTrailingSeparator, FollowsTheSystemCodePage)
{
    char cafe[16] = "C:\\Caf\xE9\\";
    char so[16] = "C:\\\x83\x5C";
    ensureTrailingSeparator(cafe, sizeof cafe);
    ensureTrailingSeparator(so, sizeof so);
    if (GetACP() == 932) {
        EXPECT_STREQ(cafe, "C:\\Caf\xE9\\\\");
        EXPECT_STREQ(so, "C:\\\x83\x5C\\");
    } else {
        EXPECT_EQ(GetACP(), 1252u);
        EXPECT_STREQ(cafe, "C:\\Caf\xE9\\");
        EXPECT_STREQ(so, "C:\\\x83\x5C");
    }
    const char* text = "\x83\\a\\";
    EXPECT_EQ(findChar(text, '\\'), GetACP() == 932 ? text + 3 : text + 1);
}

// A name the code page cannot hold is never given as a look-alike (Zoe for Zoë names
// another file): the short name stands in, and without one the name holds "?".
TEST(SystemNames, ANameTheCodePageCannotHoldGivesWayToItsShortName)
{
    std::string folder = scratchFolder("system-names");
    std::wstring foreign = widened(folder) + foreignName;
    ASSERT_TRUE(CreateDirectoryW(foreign.c_str(), nullptr));
    std::string shortPath = shortPathOf(foreign);
    ASSERT_NE(shortPath, "");
    char path[PATH_SIZE];
    EXPECT_TRUE(ansiPath(foreign.c_str(), path, sizeof path));
    EXPECT_EQ(path, shortPath);
    EXPECT_FALSE(ansiPath((foreign + L"\\missing").c_str(), path, sizeof path));

    writeFile(folder + "plain name.txt", "x");
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = findFirstEntry((folder + "*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do
        names.push_back(found.cFileName);
    while (findNextEntry(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    std::string shortName = shortPath.substr(shortPath.rfind('\\') + 1);
    EXPECT_EQ(names, (std::vector<std::string> { ".", "..", shortName, "plain name.txt" }));

    // short names can be turned off on a volume: then nothing names it
    WIN32_FIND_DATAW noShortName = {};
    wcscpy(noShortName.cFileName, foreignName);
    entryInAnsi(noShortName, &found);
    EXPECT_FALSE(nameIsExact(found.cFileName));
}
