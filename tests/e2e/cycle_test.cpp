// The whole life of an installation as a user meets it: the install wizard on a sample
// distribution, then the removal started from the Uninstall entry, which goes through the
// program's copy in the system directory.
#include "scratch.h"
#include "setup_run.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

// Like the sample distribution: a renamed Japanese read-me, data in subfolders made by the
// installation, a deletion entry, and two group entries.
static const char sampleManifest[] = "[Install]\r\n"
                                     "1=Rovenda.exe\r\n"
                                     "2=doc\\readme.txt,doc\\はじめにお読みください.txt\r\n"
                                     "3=data\\greeting.txt\r\n"
                                     "4=data\\colors.ini,data\\settings\\colors.ini\r\n"
                                     "5=,old-rovenda.dat\r\n"
                                     "[Group]\r\n"
                                     "1=Rovenda,Rovenda.exe\r\n"
                                     "2=はじめにお読みください,doc\\はじめにお読みください.txt\r\n";
static const char* const installedTargets[] = { "Rovenda.exe", "doc\\はじめにお読みください.txt",
                                                "data\\greeting.txt", "data\\settings\\colors.ini",
                                                "SETUP.inf", "SETUP.EXE" };
static const char* const groupLinks[] = { "Rovenda.lnk", "はじめにお読みください.lnk" };

// The user's own files: one beside the product, one in a folder the installation made.
static const char userNote[] = "自分のメモ.txt";
static const char userColors[] = "data\\settings\\my-colors.ini";

// How the Uninstall entry starts the installed program (the option number 6: both boxes).
static const char uninstallArguments[] = "/r6";

static const char promptText[] = "Rovenda を削除します。";
static const char questionTail[] = " ←このファイルも削除していいですか？";
static const char remainTail[] = " にはまだファイルが残っています。後で削除してください。";
static const char removedText[] = "Rovendaは正常に削除されました。";

static std::string groupFolder()
{
    return shellFolder("Programs") + "\\KorvalDesk\\";
}

static std::string desktopLink()
{
    return shellFolder("Desktop") + "\\Rovenda.lnk";
}

// What the user saw of the removal, from the Uninstall entry to the closed dialog.
struct RemovalSeen {
    std::vector<SeenDialog> relaunchDialogs;
    DWORD relaunchExit = (DWORD)-2;
    DWORD copyExit = (DWORD)-2;
    UninstallResult result;
};

class Cycle : public ProductSurroundings {
protected:
    // Installs the sample distribution into a new folder with the wizard, both boxes
    // checked, and Finish; then puts beside it what other software would: the Uninstall
    // entry naming the installed program, and the product's per-user key with subkeys.
    void installSample(const std::string& name, const std::string& destination = "")
    {
        std::string dist = stageSetup(name + "-dist", sampleManifest);
        // the product records how Finish started it, in recorder.log beside itself
        CopyFileA(builtRecorderPath().c_str(), (dist + "Rovenda.exe").c_str(), FALSE);
        writeFileMakingFolders(dist + "doc\\readme.txt", "はじめに");
        writeFileMakingFolders(dist + "data\\greeting.txt", "こんにちは");
        writeFileMakingFolders(dist + "data\\colors.ini", "[Colors]\r\nback=white\r\n");
        installed = destination.empty() ? scratchFolder(name) + "Korval\\" : destination;

        WizardSession run(dist);
        ASSERT_TRUE(run.toFinish(installed, 1, 1));
        ASSERT_EQ(run.wizard.controlText(PROGRESS_TEXT), wizardDoneText) << hexBytes(run.wizard.controlText(PROGRESS_TEXT));
        ASSERT_TRUE(run.finish());
        std::string commandLine, directory;
        ASSERT_TRUE(readRecorderLog(installed, &commandLine, &directory));
        EXPECT_NE(commandLine.find(installed + "Rovenda.exe"), std::string::npos) << commandLine;

        for (const char* target : installedTargets)
            ASSERT_TRUE(fileExists(installed + target)) << target;
        for (const char* link : groupLinks)
            ASSERT_TRUE(fileExists(groupFolder() + link)) << link;
        ASSERT_TRUE(fileExists(desktopLink()));

        makeMachineKey(uninstallKeyPath, "UninstallString",
                       ("\"" + installed + "SETUP.EXE\" " + uninstallArguments).c_str());
        makeMachineKey(uninstallKeyPath, "DisplayName", "Rovenda");
        setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL", "user", "JA1XYZ");
        setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL\\Rovenda\\Settings\\Window", "x", "10");
        setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL\\Rovenda\\Log", "path", installed + "log");
        writeFile(installed + userNote, "user note");
        writeFile(installed + userColors, "user colors");
    }

    // Starts the installed program as the Uninstall entry does, answers the prompt with OK,
    // answers the system-directory copy's questions with driver, and closes its dialog once
    // the result shows.
    void uninstallFromTheEntry(UninstallDriver& driver, RemovalSeen* seen)
    {
        SetupProcess relaunch;
        ASSERT_TRUE(startSetup(relaunch, installed + "SETUP.EXE", uninstallArguments));
        {
            DialogWatcher prompt(answerInTurn({ IDOK }), relaunch.pid());
            FoundWindow copy = findDialogByCaption("Rovendaの削除", relaunch.pid());
            ASSERT_NE(copy.window, nullptr) << "the system-directory copy showed no uninstall dialog";
            HANDLE copyProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copy.pid);
            seen->result = answerUninstallRun(copy.pid, driver);
            seen->relaunchExit = relaunch.wait();
            seen->relaunchDialogs = prompt.seen();
            if (seen->result.shown)
                pressButton(copy.window, IDCANCEL);
            if (WaitForSingleObject(copyProcess, 20000) == WAIT_OBJECT_0)
                GetExitCodeProcess(copyProcess, &seen->copyExit);
            CloseHandle(copyProcess);
        }
    }

    // What every removal does, whatever the answers: the prompt, both processes ending with
    // 1, the manifest's files, the keys and the shortcuts gone.
    void expectRemovedWhateverWasKept(const RemovalSeen& seen, const UninstallDriver& driver)
    {
        ASSERT_EQ(seen.relaunchDialogs.size(), 1u);
        EXPECT_EQ(seen.relaunchDialogs[0].text, promptText) << hexBytes(seen.relaunchDialogs[0].text);
        EXPECT_EQ(seen.relaunchDialogs[0].caption, "Rovenda");
        EXPECT_EQ(seen.relaunchExit, 1u);
        EXPECT_EQ(driver.seen->caption, "Rovendaの削除");
        EXPECT_TRUE(seen.result.shown);
        EXPECT_EQ(seen.copyExit, 1u);

        std::vector<std::string> questions = driver.seen->questions;
        std::sort(questions.begin(), questions.end());
        std::vector<std::string> expected = { installed + userColors + questionTail, installed + userNote + questionTail,
                                              installed + "recorder.log" + questionTail };
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(questions, expected);

        for (const char* target : installedTargets)
            EXPECT_FALSE(fileExists(installed + target)) << target;
        EXPECT_FALSE(fileExists(installed + "recorder.log"));
        EXPECT_FALSE(folderExists(installed + "data"));
        EXPECT_FALSE(folderExists(installed + "doc"));
        EXPECT_FALSE(registryKeyExists(HKEY_CURRENT_USER, "Software\\KORVAL"));
        EXPECT_FALSE(machineKeyExists(uninstallKeyPath));
        EXPECT_FALSE(folderExists(groupFolder()));
        EXPECT_FALSE(fileExists(desktopLink()));
    }

    // The removal from the Uninstall entry with Yes to every question: nothing is left of
    // the installation and the result says so.
    void removeEverythingFromTheEntry()
    {
        UninstallDriver driver;
        driver.fallback = IDYES;
        RemovalSeen seen;
        ASSERT_NO_FATAL_FAILURE(uninstallFromTheEntry(driver, &seen));
        expectRemovedWhateverWasKept(seen, driver);
        EXPECT_TRUE(driver.seen->messages.empty());
        EXPECT_FALSE(folderExists(installed));
        EXPECT_EQ(seen.result.text, removedText) << hexBytes(seen.result.text);
    }

    std::string installed;
};

TEST_F(Cycle, RemovalFromTheUninstallEntryKeepsTheUserFileAnsweredNoAndSaysTheFolderStillHoldsFiles)
{
    ASSERT_NO_FATAL_FAILURE(installSample("cycle keep"));
    UninstallDriver driver;
    driver.answers[userNote] = IDNO;
    driver.fallback = IDYES;
    RemovalSeen seen;
    ASSERT_NO_FATAL_FAILURE(uninstallFromTheEntry(driver, &seen));

    expectRemovedWhateverWasKept(seen, driver);
    EXPECT_EQ(readFile(installed + userNote), "user note");
    EXPECT_FALSE(fileExists(installed + userColors));
    // the folder that still holds the kept file cannot go: its message, then the failure text
    ASSERT_EQ(driver.seen->messages.size(), 1u);
    EXPECT_EQ(driver.seen->messages[0].text,
              installed.substr(0, installed.size() - 1) + " - フォルダの削除に失敗しました");
    EXPECT_EQ(seen.result.text, installed + remainTail) << hexBytes(seen.result.text);
}

TEST_F(Cycle, RemovalFromTheUninstallEntryWithEveryFileDeletedLeavesNoFolderAndReportsSuccess)
{
    ASSERT_NO_FATAL_FAILURE(installSample("cycle all"));
    ASSERT_NO_FATAL_FAILURE(removeEverythingFromTheEntry());
}

TEST_F(Cycle, AJapaneseFolderGoesThroughInstallCopyModeAndRemoval)
{
    // ソ and 表 end in the byte 0x5C, which is no separator
    const std::string top = "C:\\ソフト\\";
    deleteTree(top);
    ASSERT_NO_FATAL_FAILURE(installSample("cycle japanese", top + "表示\\"));
    EXPECT_EQ(readFile(installed + "doc\\はじめにお読みください.txt"), "はじめに");

    // copy mode from the installed folder into another Japanese folder, with its desktop link
    std::string copy = top + "表示の写し";
    std::string link = shellFolder("Desktop") + "\\表示の写し.lnk";
    DeleteFileA(link.c_str());
    EXPECT_EQ(runToEnd(installed + "SETUP.EXE", "c 表示の写し/Rovenda.exe/" + copy, installed).exitCode, 1u);
    EXPECT_EQ(readFile(copy + "\\doc\\はじめにお読みください.txt"), "はじめに");
    EXPECT_TRUE(linkIs(link, copy + "\\Rovenda.exe", "", copy));
    DeleteFileA(link.c_str());

    ASSERT_NO_FATAL_FAILURE(removeEverythingFromTheEntry());
    // the copy and the folder above the installation are not the uninstall's
    EXPECT_TRUE(fileExists(copy + "\\Rovenda.exe"));
    deleteTree(top);
}
