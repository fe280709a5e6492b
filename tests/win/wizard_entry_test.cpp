// One install entry at a time, in process: what installOneEntry does with what the reader left.
#include "app/state.h"
#include "lnk_check.h"
#include "manifest/entries.h"
#include "scratch.h"
#include "install/install.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>
#include <string.h>

#include <algorithm>
#include <vector>

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

// An installed read-only file at a path of 259 bytes, beside a file of a one-byte name (as
// temporary names once were for so short a name): replaced in one step; kept whole, read-only
// still, when it cannot be replaced (another program holds it open, past the tries again).
TEST(InstallOneEntry, AnInstalledFileIsReplacedWholeOrKeptAsItWas)
{
    std::string dist = prepare("entry-replace", "1=new.txt,a\r\n");
    writeFile(dist + "new.txt", "new");
    std::string folder = setup.destDir + std::string(257 - strlen(setup.destDir), 'd') + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    strcpy(setup.destDir, folder.c_str());
    std::string target = folder + "a";
    ASSERT_EQ(target.size(), 259u);
    writeFile(folder + "0", "not ours");
    for (bool held : { false, true }) {
        SCOPED_TRACE(held ? "held open" : "free");
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        writeFile(target, "installed");
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE other = held ? CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                            : INVALID_HANDLE_VALUE;
        ASSERT_EQ(loadInstallEntry(1), 1);
        EXPECT_EQ(installOneEntry(), held ? 0 : 1);
        CloseHandle(other);
        EXPECT_EQ(readFile(target), held ? "installed" : "new");
        EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, held ? FILE_ATTRIBUTE_READONLY : 0u);
        EXPECT_EQ(namesInFolder(folder), (std::vector<std::string> { "0", "a" }));
        EXPECT_EQ(readFile(folder + "0"), "not ours");
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(InstallOneEntry, ATimeTheTargetCannotTakeStillGivesAGoodCopy)
{
    // a last-write time before 1601 with a fraction of a second: a file on tmpfs carries
    // it, Wine reads it, and no file can be given it
    std::string unixSource = "/dev/shm/setuptests-time-" + std::to_string(GetCurrentProcessId());
    if (runUnixScript("printf timeless > " + unixSource + " && touch -d @-15000000000.5 " + unixSource + "\n") != 0)
        GTEST_SKIP() << "no tmpfs at /dev/shm";
    std::string source = "Z:" + unixSource;
    std::replace(source.begin(), source.end(), '/', '\\');
    prepare("entry-time", "");
    std::string target = std::string(setup.destDir) + "timeless.txt";
    EXPECT_EQ(copyEntryAnswering(source.c_str(), target.c_str()), 1);
    EXPECT_EQ(readFile(target), "timeless");
    DeleteFileA(source.c_str());
}

// Cancel while a large file's copy thread runs. The test holds that thread still as it
// presses Cancel, and lets it go only once the wizard's thread waits: a timer comes only to a
// thread with nothing else to do. A step that ended before its copy thread would leave the
// unfinished copy open behind it, still being written.
static std::vector<DWORD> threadsBeforeCopy;
static HANDLE heldCopyThread;
static UINT_PTR releaseTimer;

static std::vector<DWORD> threadsOfThisProcess()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = { sizeof entry };
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
    return ids;
}

static VOID CALLBACK releaseCopyThread(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ResumeThread(heldCopyThread);
}

static VOID CALLBACK cancelMidCopy(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    for (DWORD id : threadsOfThisProcess())
        if (!heldCopyThread && std::find(threadsBeforeCopy.begin(), threadsBeforeCopy.end(), id) == threadsBeforeCopy.end())
            heldCopyThread = OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE, id);
    SuspendThread(heldCopyThread);
    setup.installCancelled = 1;
    releaseTimer = SetTimer(nullptr, 0, 1, releaseCopyThread);
}

TEST(InstallOneEntry, CancelDuringALargeCopyEndsTheStepAfterItsThreadWithTheOldFileAlone)
{
    std::string dist = prepare("entry-cancel", "");
    writeSparseFile(dist + "large.bin", 1ll << 30);
    std::string target = std::string(setup.destDir) + "large.bin";
    writeFile(target, "installed");
    threadsBeforeCopy = threadsOfThisProcess();
    heldCopyThread = nullptr;
    SetTimer(nullptr, 0, 1, cancelMidCopy);
    EXPECT_EQ(copyEntryAnswering((dist + "large.bin").c_str(), target.c_str()), 0);
    ASSERT_NE(heldCopyThread, nullptr) << "no copy thread was seen";
    EXPECT_EQ(namesInFolder(setup.destDir), (std::vector<std::string> { "large.bin" }));
    EXPECT_EQ(readFile(target), "installed");
    // a step that left early: its thread is let go and waited for here
    KillTimer(nullptr, releaseTimer);
    ResumeThread(heldCopyThread);
    EXPECT_EQ(WaitForSingleObject(heldCopyThread, 10000), WAIT_OBJECT_0);
    CloseHandle(heldCopyThread);
}
