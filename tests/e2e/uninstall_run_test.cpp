// The uninstall run (mode x) of the real SETUP.EXE on an installed folder: what it removes,
// what it asks, and what it shows.
#include "lnk_check.h"
#include "scratch.h"
#include "uninstall_staging.h"

#include <gtest/gtest.h>

static const char questionTail[] = " ←このファイルも削除していいですか？";
static const char qsoWarning[] = "（※ＱＳＯデータです！！）";
static const char remainTail[] = " にはまだファイルが残っています。後で削除してください。";
static const char removedText[] = "Rovendaは正常に削除されました。";

static const char groupManifest[] = "[Install]\r\n1=KORVAL.EXE\r\n2=lib\\tool.dll\r\n3=readme.txt\r\n"
                                    "[Group]\r\n1=Korval,KORVAL.EXE\r\n2=Tool,lib\\tool.dll,-x\r\n";
static const char plainManifest[] = "[Install]\r\n1=KORVAL.EXE\r\n2=lib\\tool.dll\r\n3=readme.txt\r\n";
static const std::vector<std::string> installedFiles = { "KORVAL.EXE", "lib\\tool.dll", "readme.txt" };

// Keys and shortcuts of an installation: the per-user key with nested subkeys, the
// Uninstall key, and the product's shortcuts beside one made by copy mode.
struct Surroundings {
    bool grouped;
    explicit Surroundings(bool withGroup) : grouped(withGroup)
    {
        deleteRegistryKey(HKEY_CURRENT_USER, "Software\\KORVAL");
        setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL\\Rovenda\\Settings\\Window", "x", "10");
        setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL\\Rovenda\\Log", "path", "C:\\log");
        setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL", "user", "JA1XYZ");
        makeMachineKey(uninstallKeyPath, "UninstallString", "C:\\Korval\\SETUP.EXE r 14");
        makeMachineKey(std::string(uninstallKeyPath) + "\\Extra", "x", "y");
        if (grouped) {
            writeFileMakingFolders(groupFolder() + "\\Korval.lnk", "lnk");
            writeFileMakingFolders(groupFolder() + "\\Tool.lnk", "lnk");
        } else {
            writeFile(shellFolder("Programs") + "\\Rovenda.lnk", "lnk");
        }
        writeFile(shellFolder("Desktop") + "\\Rovenda.lnk", "lnk");
        writeFile(shellFolder("Desktop") + "\\My Rovenda.lnk", "lnk");
        writeFile(shellFolder("Startup") + "\\Rovenda.lnk", "lnk");
    }
    ~Surroundings()
    {
        deleteRegistryKey(HKEY_CURRENT_USER, "Software\\KORVAL");
        dropMachineKey(uninstallKeyPath);
        deleteTree(groupFolder());
        for (const char* kind : { "Programs", "Desktop", "Startup" })
            DeleteFileA((shellFolder(kind) + "\\Rovenda.lnk").c_str());
        DeleteFileA((shellFolder("Desktop") + "\\My Rovenda.lnk").c_str());
    }
    static std::string groupFolder() { return shellFolder("Programs") + "\\KorvalDesk"; }

    // The keys and the product's shortcuts are gone, the other desktop shortcut stays.
    void expectRemoved() const
    {
        EXPECT_FALSE(registryKeyExists(HKEY_CURRENT_USER, "Software\\KORVAL"));
        EXPECT_FALSE(machineKeyExists(uninstallKeyPath));
        EXPECT_FALSE(folderExists(groupFolder()));
        EXPECT_FALSE(fileExists(shellFolder("Programs") + "\\Rovenda.lnk"));
        EXPECT_FALSE(fileExists(shellFolder("Desktop") + "\\Rovenda.lnk"));
        EXPECT_FALSE(fileExists(shellFolder("Startup") + "\\Rovenda.lnk"));
        EXPECT_TRUE(fileExists(shellFolder("Desktop") + "\\My Rovenda.lnk"));
    }
};

TEST(UninstallRun, RemovesFilesKeysAndShortcutsAskingAboutLeftoversWithTheirExactQuestions)
{
    Surroundings around(true);
    std::string folder = stageInstalled("uninstall full", groupManifest, installedFiles);
    for (const char* leftover : { "HELP.GID", "data.KVD", "data.old.kvd", "lib\\cache.bin" })
        writeFileMakingFolders(folder + leftover, "user data");

    UninstallDriver driver;
    DWORD exitCode;
    UninstallResult result = runUninstallFrom(folder, driver, &exitCode);

    const UninstallRunSeen& seen = *driver.seen;
    EXPECT_EQ(seen.caption, "Rovendaの削除");
    EXPECT_EQ(seen.waitingText, "削除しています...");
    EXPECT_FALSE(seen.closeEnabledWhileWaiting);
    ASSERT_TRUE(result.shown);
    EXPECT_EQ(result.text, removedText) << hexBytes(result.text);
    EXPECT_TRUE(result.closeFocused);
    EXPECT_EQ(exitCode, 1u);

    std::vector<std::string> questions = seen.questions;
    std::sort(questions.begin(), questions.end());
    EXPECT_EQ(questions, (std::vector<std::string> { folder + "data.KVD" + questionTail + qsoWarning,
                                                     folder + "data.old.kvd" + questionTail,
                                                     folder + "lib\\cache.bin" + questionTail }));
    EXPECT_TRUE(seen.messages.empty());
    EXPECT_FALSE(folderExists(folder));
    around.expectRemoved();
}

TEST(UninstallRun, DeleteAllAnswersEveryLaterQuestion)
{
    Surroundings around(false);
    std::string folder = stageInstalled("uninstall all", plainManifest, installedFiles);
    for (const char* leftover : { "a.txt", "b.kvd", "logs\\c.log", "logs\\old\\d.log" })
        writeFileMakingFolders(folder + leftover, "user data");

    UninstallDriver driver;
    driver.fallback = 1015;
    DWORD exitCode;
    UninstallResult result = runUninstallFrom(folder, driver, &exitCode);

    EXPECT_EQ(driver.seen->questions.size(), 1u);
    EXPECT_EQ(result.text, removedText);
    EXPECT_FALSE(folderExists(folder));
    around.expectRemoved();
}

TEST(UninstallRun, KeptFileInASubfolderStopsTheWalkButKeysAndShortcutsStillGo)
{
    Surroundings around(true);
    std::string folder = stageInstalled("uninstall kept", groupManifest, installedFiles);
    writeFileMakingFolders(folder + "logs\\mine.log", "user data");

    UninstallDriver driver;
    driver.answers["mine.log"] = IDNO;
    DWORD exitCode;
    UninstallResult result = runUninstallFrom(folder, driver, &exitCode);

    const UninstallRunSeen& seen = *driver.seen;
    ASSERT_EQ(seen.questions.size(), 1u);
    ASSERT_EQ(seen.messages.size(), 1u);
    EXPECT_EQ(seen.messages[0].text, folder + "logs - フォルダの削除に失敗しました");
    EXPECT_EQ(seen.messages[0].caption, "Rovenda");
    EXPECT_TRUE(iconIs(seen.messages[0].icon, "error")) << seen.messages[0].icon;
    EXPECT_EQ(seen.messages[0].owner, seen.uninstallDialog);
    EXPECT_EQ(result.text, folder + remainTail);
    EXPECT_TRUE(fileExists(folder + "logs\\mine.log"));
    EXPECT_FALSE(fileExists(folder + "KORVAL.EXE"));
    EXPECT_FALSE(fileExists(folder + "SETUP.EXE"));
    EXPECT_FALSE(fileExists(folder + "SETUP.inf"));
    around.expectRemoved();
}

TEST(UninstallRun, CancelEndsTheWalkWithTheFailureTextWhileKeysAndShortcutsStillGo)
{
    Surroundings around(false);
    std::string folder = stageInstalled("uninstall cancel", plainManifest, installedFiles);
    writeFileMakingFolders(folder + "notes.txt", "user data");
    writeFileMakingFolders(folder + "more.txt", "user data");

    UninstallDriver driver;
    driver.fallback = IDCANCEL;
    DWORD exitCode;
    UninstallResult result = runUninstallFrom(folder, driver, &exitCode);

    EXPECT_EQ(driver.seen->questions.size(), 1u);
    EXPECT_TRUE(driver.seen->messages.empty());
    EXPECT_EQ(result.text, folder + remainTail) << hexBytes(result.text);
    EXPECT_TRUE(fileExists(folder + "notes.txt"));
    EXPECT_TRUE(fileExists(folder + "more.txt"));
    EXPECT_FALSE(fileExists(folder + "readme.txt"));
    EXPECT_EQ(exitCode, 1u);
    around.expectRemoved();
}

TEST(Uninstall, LockedMainFileStopsTheSequenceAndLeavesTheRestInPlace)
{
    Surroundings around(true);
    std::string folder = stageInstalled("uninstall locked", groupManifest, installedFiles);
    // the product is running: its file is open without delete sharing
    HANDLE running = CreateFileA((folder + "KORVAL.EXE").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);

    UninstallDriver driver;
    DWORD exitCode;
    UninstallResult result = runUninstallFrom(folder, driver, &exitCode);
    CloseHandle(running);

    const UninstallRunSeen& seen = *driver.seen;
    ASSERT_EQ(seen.messages.size(), 2u);
    EXPECT_EQ(seen.messages[0].text, folder + "KORVAL.EXEの削除に失敗しました。このファイルをスキップして処理を続行します。");
    EXPECT_EQ(seen.messages[1].text, folder + "KORVAL.EXE の削除に失敗しました。Rovenda を終了して、もう一度アンインストールをやり直してください。");
    for (const SeenDialog& message : seen.messages) {
        EXPECT_EQ(message.caption, "Rovenda");
        EXPECT_TRUE(iconIs(message.icon, "error")) << message.icon;
        EXPECT_EQ(message.owner, seen.uninstallDialog);
    }
    EXPECT_TRUE(seen.questions.empty());
    EXPECT_EQ(result.text, folder + remainTail);
    // what came before the main file is gone, everything after it is still there
    EXPECT_FALSE(registryKeyExists(HKEY_CURRENT_USER, "Software\\KORVAL"));
    EXPECT_FALSE(fileExists(folder + "readme.txt"));
    EXPECT_FALSE(fileExists(folder + "lib\\tool.dll"));
    EXPECT_TRUE(fileExists(folder + "KORVAL.EXE"));
    EXPECT_TRUE(fileExists(folder + "SETUP.inf"));
    EXPECT_TRUE(fileExists(folder + "SETUP.EXE"));
    EXPECT_TRUE(machineKeyExists(uninstallKeyPath));
    EXPECT_TRUE(fileExists(Surroundings::groupFolder() + "\\Korval.lnk"));
    EXPECT_TRUE(fileExists(shellFolder("Desktop") + "\\Rovenda.lnk"));
    EXPECT_TRUE(fileExists(shellFolder("Startup") + "\\Rovenda.lnk"));

    // with the product closed the uninstall runs again and succeeds
    UninstallDriver again;
    UninstallResult second = runUninstallFrom(folder, again, &exitCode);
    EXPECT_EQ(second.text, removedText);
    EXPECT_TRUE(again.seen->messages.empty());
    EXPECT_FALSE(folderExists(folder));
    around.expectRemoved();
}

TEST(UninstallRun, ManifestWithoutInstallEntriesRemovesTheManifestAndTheProgramCopy)
{
    Surroundings around(false);
    std::string folder = stageInstalled("uninstall noentries", "[Other]\r\nx=1\r\n", {});
    UninstallDriver driver;
    DWORD exitCode;
    UninstallResult result = runUninstallFrom(folder, driver, &exitCode);
    EXPECT_TRUE(driver.seen->questions.empty());
    EXPECT_EQ(result.text, removedText);
    EXPECT_FALSE(folderExists(folder));
    around.expectRemoved();
}

TEST(UninstallRun, DeleteAllNeverReachesBehindAFolderLink)
{
    // inst\linked is a Unix link to a folder outside: Wine shows it as a folder with the
    // reparse-point attribute, as Windows shows a junction
    Surroundings around(false);
    std::string folder = stageInstalled("uninstall link", plainManifest, installedFiles);
    std::string outside = scratchFolder("uninstall-link-outside");
    writeFile(outside + "precious.txt", "precious");
    ASSERT_EQ(runUnixScript("ln -s '" + unixPathOf(outside.substr(0, outside.size() - 1)) + "' '" + unixPathOf(folder) +
                            "linked'\n"),
              0);
    writeFile(folder + "a.txt", "user data");

    UninstallDriver driver;
    driver.fallback = 1015;
    DWORD exitCode;
    UninstallResult result = runUninstallFrom(folder, driver, &exitCode);

    EXPECT_EQ(readFile(outside + "precious.txt"), "precious");
    EXPECT_EQ(driver.seen->questions, std::vector<std::string> { folder + "a.txt" + questionTail });
    EXPECT_FALSE(fileExists(folder + "a.txt"));
    // Wine refuses to remove the link with the folder call: it stays, and so does the folder
    if (GetFileAttributesA((folder + "linked").c_str()) != INVALID_FILE_ATTRIBUTES) {
        EXPECT_EQ(result.text, folder + remainTail);
        ASSERT_EQ(driver.seen->messages.size(), 1u);
        EXPECT_EQ(driver.seen->messages[0].text, folder.substr(0, folder.size() - 1) + " - フォルダの削除に失敗しました");
    } else {
        EXPECT_EQ(result.text, removedText);
    }
    EXPECT_EQ(exitCode, 1u);
    around.expectRemoved();
    runUnixScript("rm -f '" + unixPathOf(folder) + "linked'\n");
    deleteTree(outside);
}
