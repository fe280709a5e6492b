// The copy that leaves its target whole or untouched, on the real file system.
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

TEST(CopyFileWhole, AttributesThatAreOpenFlagsNeverReachTheCopy)
{
    // cloud-synced files carry such bits (0x20000000 is FILE_FLAG_NO_BUFFERING as a flag);
    // Wine keeps none of them on a file, so the rule is shown on its own
    const DWORD six = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    EXPECT_EQ(copiedAttributes(six | 0x40000 | 0x100000 | 0x400000 | 0x20000000 | FILE_ATTRIBUTE_DIRECTORY), six);
}
