// Folder creation level by level and file removal, with the messages a user sees.
#include "app/state.h"
#include "message_check.h"
#include "util/folders.h"
#include "util/whole_copy.h"

#include <gtest/gtest.h>

#include <string.h>
#include <vector>

static const char folderIsFile[] = " - 同じ名前のファイルが既に存在するのでフォルダが作成できません。";
static const char deleteFailed[] = "の削除に失敗しました。このファイルをスキップして処理を続行します。";
static const char createFailed[] = " のフォルダ作成に失敗しました。";

// A window standing in for the page or dialog that owns the program's messages.
struct OwnerWindow {
    HWND window;
    OwnerWindow()
    {
        window = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        resetSetupState();
        setup.activeDialog = window;
    }
    ~OwnerWindow() { DestroyWindow(window); }
};

TEST(MakeFolderLevel, DriveRootAndExistingFolderSucceedSilently)
{
    OwnerWindow owner;
    DialogWatcher watcher(answerInTurn({}));
    char root[] = "C:\\";
    EXPECT_EQ(makeFolderLevel(root), 1);
    std::string folder = scratchFolder("level-existing");
    char path[MAX_PATH];
    strcpy(path, folder.c_str());
    EXPECT_EQ(makeFolderLevel(path), 1);
    EXPECT_STREQ(path, folder.c_str());
    EXPECT_TRUE(watcher.seen().empty());
}

TEST(MakeFolderLevel, PlainFileOfTheSameNameIsReportedAndTheTextRestored)
{
    OwnerWindow owner;
    DialogWatcher watcher(answerInTurn({}));
    std::string folder = scratchFolder("level-file");
    writeFile(folder + "Korval", "x");
    char path[MAX_PATH];
    strcpy(path, (folder + "Korval\\").c_str());
    EXPECT_EQ(makeFolderLevel(path), 0);
    EXPECT_EQ(std::string(path), folder + "Korval\\");
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_TRUE(isErrorBox(watcher.seen()[0], owner.window, folder + "Korval" + folderIsFile));
}

TEST(MakeFolderLevel, FolderThatCannotBeCreatedIsReported)
{
    OwnerWindow owner;
    DialogWatcher watcher(answerInTurn({}));
    // no such drive: the level cannot be created
    char path[] = "Q:\\nowhere\\";
    EXPECT_EQ(makeFolderLevel(path), 0);
    EXPECT_STREQ(path, "Q:\\nowhere\\");
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_TRUE(isErrorBox(watcher.seen()[0], owner.window, std::string("Q:\\nowhere") + createFailed));
}

TEST(MakeFolderPath, CreatesEveryMissingLevelInOrderAndAgainNothing)
{
    OwnerWindow owner;
    DialogWatcher watcher(answerInTurn({}));
    std::string folder = scratchFolder("path-levels");
    char path[MAX_PATH];
    strcpy(path, (folder + "a\\b\\c\\").c_str());
    EXPECT_EQ(makeFolderPath(path), 1);
    EXPECT_TRUE(folderExists(folder + "a\\b\\c"));
    EXPECT_EQ(makeFolderPath(path), 1);
    EXPECT_EQ(std::string(path), folder + "a\\b\\c\\");
    // text after the last backslash is no level
    strcpy(path, (folder + "d\\file.txt").c_str());
    EXPECT_EQ(makeFolderPath(path), 1);
    EXPECT_TRUE(folderExists(folder + "d"));
    EXPECT_FALSE(folderExists(folder + "d\\file.txt"));
    EXPECT_TRUE(watcher.seen().empty());
}

TEST(MakeFolderPath, StopsAtAPlainFileAndLeavesTheTextUnchanged)
{
    OwnerWindow owner;
    DialogWatcher watcher(answerInTurn({}));
    std::string folder = scratchFolder("path-file");
    writeFile(folder + "a", "x");
    char path[MAX_PATH];
    strcpy(path, (folder + "a\\b\\").c_str());
    EXPECT_EQ(makeFolderPath(path), 0);
    EXPECT_EQ(std::string(path), folder + "a\\b\\");
    ASSERT_EQ(watcher.seen().size(), 1u);   // the level after the failing one is not tried
    EXPECT_TRUE(isErrorBox(watcher.seen()[0], owner.window, folder + "a" + folderIsFile));
}

TEST(MakeFolderPath, TrailByte0x5CInsideAFolderNameIsNoLevel)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "double-byte folder names follow code page 932";
    OwnerWindow owner;
    std::string folder = scratchFolder("path-dbcs");
    // C:\...\ソフト\データ\ : ソ is 83 5C
    std::string soft = "ソフト", data = "データ";
    char path[MAX_PATH];
    strcpy(path, (folder + soft + "\\" + data + "\\").c_str());
    EXPECT_EQ(makeFolderPath(path), 1);
    EXPECT_TRUE(folderExists(folder + soft + "\\" + data));
    // no folder named by ソ's first byte alone: the scratch folder holds ソフト and nothing else
    EXPECT_EQ(namesInFolder(folder), std::vector<std::string>{ soft });
}

TEST(MakeFolderPath, PathWithoutDriveFormIsOneLevel)
{
    OwnerWindow owner;
    std::string folder = scratchFolder("path-relative");
    SetCurrentDirectoryA(folder.c_str());
    char path[] = "rel\\";
    EXPECT_EQ(makeFolderPath(path), 1);
    EXPECT_TRUE(folderExists(folder + "rel"));
    SetCurrentDirectoryA("C:\\");
}

TEST(RemoveFile, MissingAndReadOnlyFilesAreGoneWithoutAMessage)
{
    OwnerWindow owner;
    DialogWatcher watcher(answerInTurn({}));
    std::string folder = scratchFolder("remove-readonly");
    EXPECT_EQ(removeFile((folder + "missing.txt").c_str()), 1);
    writeFile(folder + "ro.txt", "x");
    SetFileAttributesA((folder + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(removeFile((folder + "ro.txt").c_str()), 1);
    EXPECT_FALSE(fileExists(folder + "ro.txt"));
    EXPECT_TRUE(watcher.seen().empty());
}

TEST(RemoveFile, FileTheSystemRefusesToDeleteIsReported)
{
    OwnerWindow owner;
    DialogWatcher watcher(answerInTurn({}));
    std::string folder = scratchFolder("remove-locked");
    std::string path = folder + "locked.dat";
    writeFile(path, "x");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(removeFile(path.c_str()), 0);
    CloseHandle(held);
    EXPECT_TRUE(fileExists(path));
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_TRUE(isErrorBox(watcher.seen()[0], owner.window, path + deleteFailed));
    // a directory is found by the probe but cannot be deleted as a file
    EXPECT_EQ(removeFile(folder.substr(0, folder.size() - 1).c_str()), 0);
    EXPECT_TRUE(watcher.waitForCount(2));
}

TEST(RemoveFile, LongestPathAndSentenceAreShownWhole)
{
    OwnerWindow owner;
    DialogWatcher watcher(answerInTurn({}));
    std::string folder = scratchFolder("remove-long");
    std::string path = folder + std::string(259 - folder.size(), 'n');
    ASSERT_EQ(path.size(), 259u);
    writeFile(path, "x");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(removeFile(path.c_str()), 0);
    CloseHandle(held);
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_TRUE(isErrorBox(watcher.seen()[0], owner.window, path + deleteFailed));
}

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
