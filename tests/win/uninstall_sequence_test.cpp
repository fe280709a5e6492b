// The relaunch prompt and the uninstall sequence run in-process, where the message boxes'
// icons can be told apart (the end-to-end tests check the rest from outside), and the look
// for a product in use that comes before an unattended run changes anything.
#include "app/state.h"
#include "manifest/in_use.h"
#include "scratch.h"
#include "uninstall/uninstall.h"
#include "windows_seen.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(UninstallPrompt, InformationIconWithoutOwnerAndCancelChangesNothing)
{
    resetSetupState();
    std::string folder = scratchFolder("prompt-inprocess");
    strcpy(setup.exePath, (folder + "SETUP.EXE").c_str());
    strcpy(setup.exeName, "PROMPTTEST.EXE");
    char systemDir[MAX_PATH];
    GetSystemDirectoryA(systemDir, sizeof systemDir);
    std::string copy = std::string(systemDir) + "\\PROMPTTEST.EXE";
    std::vector<SeenDialog> seen;
    {
        DialogWatcher watcher([](const SeenDialog& d) { return d.isMessageBox ? IDCANCEL : 0; });
        relaunchForUninstall();
        seen = watcher.seen();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Rovenda を削除します。");
    EXPECT_EQ(seen[0].icon, "information");
    EXPECT_EQ(seen[0].owner, nullptr);
    EXPECT_FALSE(fileExists(copy));
}

TEST(UninstallSequence, LockedMainFileGivesTwoErrorMessagesAndStopsBeforeTheManifest)
{
    resetSetupState();
    std::string folder = scratchFolder("sequence-locked");
    writeFile(folder + "SETUP.inf", "[Install]\r\n1=KORVAL.EXE\r\n2=extra.dll\r\n");
    for (const char* name : { "SETUP.EXE", "KORVAL.EXE", "extra.dll" })
        writeFile(folder + name, "x");
    strcpy(setup.destDir, folder.c_str());
    strcpy(setup.manifestPath, (folder + "SETUP.inf").c_str());
    strcpy(setup.manifestName, "SETUP.inf");
    strcpy(setup.exeName, "SETUP.EXE");
    setup.installCount = 2;
    setup.instanceHandle = GetModuleHandleA(nullptr);
    HANDLE running = CreateFileA((folder + "KORVAL.EXE").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);
    int result;
    std::vector<SeenDialog> seen;
    {
        DialogWatcher watcher(answerInTurn({}));
        result = removeInstallation();
        seen = watcher.seen();
    }
    CloseHandle(running);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, folder + "KORVAL.EXEの削除に失敗しました。このファイルをスキップして処理を続行します。");
    EXPECT_EQ(seen[1].text, folder + "KORVAL.EXE の削除に失敗しました。Rovenda を終了して、もう一度アンインストールをやり直してください。");
    for (const SeenDialog& message : seen) {
        EXPECT_EQ(message.icon, "error");
        EXPECT_EQ(message.caption, "Rovenda");
        EXPECT_EQ(message.buttons.size(), 1u);
    }
    EXPECT_FALSE(fileExists(folder + "extra.dll"));
    EXPECT_TRUE(fileExists(folder + "SETUP.inf"));
    EXPECT_TRUE(fileExists(folder + "SETUP.EXE"));
}

TEST(UninstallSequence, InstallationAtADriveRootIsNotWalked)
{
    // a program started from a drive's root names the whole drive as its folder: its named
    // files go, the drive's other files are never asked about, and the result is failure
    resetSetupState();
    std::string folder = scratchFolder("sequence-root");
    writeFile(folder + "other.txt", "x");
    strcpy(setup.destDir, "C:\\");
    setup.instanceHandle = GetModuleHandleA(nullptr);
    int result;
    std::vector<SeenDialog> seen;
    {
        DialogWatcher watcher([](const SeenDialog&) { return IDCANCEL; });
        result = removeInstallation();
        seen = watcher.seen();
    }
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(fileExists(folder + "other.txt"));
}

TEST(InstallationInUse, OnlyTheMainProgramAndProgramFilesHeldAgainstWritingCount)
{
    resetSetupState();
    std::string folder = scratchFolder("in-use");
    writeFile(folder + "SETUP.inf", "[Install]\r\n1=main.dat\r\n2=extra.DLL\r\n3=notes.txt\r\n");
    for (const char* name : { "main.dat", "extra.DLL", "notes.txt" })
        writeFile(folder + name, "x");
    strcpy(setup.destDir, folder.c_str());
    strcpy(setup.manifestPath, (folder + "SETUP.inf").c_str());
    setup.installCount = 3;
    EXPECT_TRUE(installationFree());
    // held as a running program holds its files: readable, never writable by another
    for (const char* name : { "notes.txt", "extra.DLL", "main.dat" }) {
        HANDLE held = CreateFileA((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(installationFree(), name[0] == 'n') << name;
        CloseHandle(held);
    }
    EXPECT_EQ(readFile(folder + "main.dat") + readFile(folder + "extra.DLL"), "xx");
}
