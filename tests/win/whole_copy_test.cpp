// The copy that leaves its target whole or untouched, on the real file system.
#include "app/state.h"
#include "scratch.h"
#include "util/whole_copy.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CopyFileWhole, AFailedCopyThatNeverTouchedTheTargetLeavesIt)
{
    // the full-disk case, where the cut target goes, is the end-to-end test on a small drive
    std::string folder = scratchFolder("copy-whole");
    writeFile(folder + "old.txt", "old version");
    EXPECT_EQ(copyFileWhole((folder + "missing.txt").c_str(), (folder + "old.txt").c_str()), 0);
    EXPECT_EQ(readFile(folder + "old.txt"), "old version");
    writeFile(folder + "new.txt", "new version");
    EXPECT_EQ(copyFileWhole((folder + "new.txt").c_str(), (folder + "old.txt").c_str()), 1);
    EXPECT_EQ(readFile(folder + "old.txt"), "new version");
}

TEST(CopyFileWhole, ATargetInTheSystemsLongOrDeviceFormArrivesUnderItsOwnName)
{
    // the step that makes the copy its target takes the system's own form of each path
    std::string folder = scratchFolder("copy-whole-forms");
    writeFile(folder + "new.txt", "new");
    EXPECT_EQ(copyFileWhole((folder + "new.txt").c_str(), ("\\\\?\\" + folder + "a.txt").c_str()), 1);
    EXPECT_EQ(copyFileWhole((folder + "new.txt").c_str(), ("\\\\.\\" + folder + "b.txt").c_str()), 1);
    EXPECT_EQ(readFile(folder + "a.txt") + readFile(folder + "b.txt"), "newnew");
    EXPECT_EQ(namesInFolder(folder), (std::vector<std::string> { "a.txt", "b.txt", "new.txt" }));
}

// Another program's look at the target, without delete sharing, for about 300 ms
static DWORD WINAPI releaseAfterALook(void* file)
{
    Sleep(300);
    return CloseHandle(file);
}

TEST(CopyFileWhole, ATargetHeldForAMomentIsReplacedOnceItIsReleased)
{
    // held for longer, it fails and stays whole: InstallOneEntry.AnInstalledFileIsReplacedWholeOrKeptAsItWas
    resetSetupState();
    std::string folder = scratchFolder("copy-whole-held");
    writeFile(folder + "old.txt", "old");
    writeFile(folder + "new.txt", "new");
    HANDLE held =
        CreateFileA((folder + "old.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE looker = CreateThread(nullptr, 0, releaseAfterALook, held, 0, nullptr);
    EXPECT_EQ(copyFileWhole((folder + "new.txt").c_str(), (folder + "old.txt").c_str()), 1);
    EXPECT_EQ(WaitForSingleObject(looker, 10000), WAIT_OBJECT_0);
    CloseHandle(looker);
    EXPECT_EQ(readFile(folder + "old.txt"), "new");
    EXPECT_EQ(namesInFolder(folder), (std::vector<std::string> { "new.txt", "old.txt" }));
}
