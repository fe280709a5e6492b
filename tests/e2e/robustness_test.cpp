// Bad input met from outside: odd Uninstall entries, odd manifests, Cancel while the
// installation runs. Checked by what the user sees and what is left on disk.
#include "scratch.h"
#include "setup_run.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

// Starts the wizard of a distribution and returns the destination it proposes.
static std::string proposedDestination(const std::string& dist)
{
    SetupProcess process;
    if (!startSetup(process, dist + "SETUP.EXE", "", dist))
        return "(not started)";
    WizardDriver wizard(process.pid());
    std::string shown = wizard.waitForFrame() && wizard.waitForPage(0) ? wizard.controlText(DEST_PATH) : "(no wizard)";
    wizard.press(WIZ_CANCEL);
    process.wait();
    return shown;
}

TEST(BadInput, AnUninstallStringThatIsNoTextIsNotTakenForAFolder)
{
    std::string dist = stageSetup("bad-uninstall-string");
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    const std::string defaultDest = std::string(windowsDir, 2) + "\\Korval\\";
    // a number whose four bytes read "D:\" as text
    setPreviousInstallValue(REG_DWORD, std::string("D:\\\0", 4));
    EXPECT_EQ(proposedDestination(dist), defaultDest);
    // 260 bytes without a terminator
    std::string unterminated = "C:\\" + std::string(240, 'k') + "\\SETUP.EXE /6";
    unterminated.resize(260, 'z');
    setPreviousInstallValue(REG_BINARY, unterminated);
    EXPECT_EQ(proposedDestination(dist), defaultDest);
    setPreviousInstallValue(REG_SZ, unterminated);
    EXPECT_EQ(proposedDestination(dist), defaultDest);
    // text with variables: the folder it names
    setPreviousInstallValue(REG_EXPAND_SZ, std::string("\"%SystemDrive%\\Expanded\\SETUP.EXE\" /6\0", 39));
    char expanded[MAX_PATH];
    ExpandEnvironmentStringsA("%SystemDrive%\\Expanded\\", expanded, sizeof expanded);
    EXPECT_EQ(proposedDestination(dist), expanded);
    setPreviousInstall("");
}

// Goes through the first two pages to the progress page with both boxes checked.
static bool reachSteps(WizardDriver& wizard, const std::string& dest)
{
    if (!wizard.waitForFrame() || !wizard.waitForPage(0))
        return false;
    wizard.typeIntoField(DEST_PATH, dest);
    if (!wizard.press(WIZ_NEXT) || !wizard.waitForPage(1))
        return false;
    wizard.setChecked(START_MENU_BOX, true);
    wizard.setChecked(DESKTOP_BOX, true);
    return wizard.press(WIZ_NEXT) && wizard.waitForPage(2);
}

TEST(BadInput, CancelWhileTheStepsRunEndsWithOneAndRunsNoStepTwice)
{
    setPreviousInstall("");
    removeProductShortcuts();
    // entry 3 fails with a message (a plain file stands where its folder must go): a step
    // that ran twice would show it twice
    const int entries = 1000;
    std::string manifest = "[Install]\r\n";
    for (int i = 1; i <= entries; ++i)
        manifest += std::to_string(i) + "=" + (i == 3 ? std::string("data.txt,blocked\\f3.txt")
                                                      : "data.txt,f" + std::to_string(i) + ".txt") + "\r\n";
    manifest += "[Group]\r\n1=Data,f1.txt\r\n";
    std::string dist = stageSetup("cancel-steps", manifest);
    writeFile(dist + "data.txt", std::string(64 * 1024, 'd'));
    std::string dest = scratchFolder("cancel-steps-dest");
    writeFile(dest + "blocked", "a file");

    SetupProcess process;
    ASSERT_TRUE(startSetup(process, dist + "SETUP.EXE", "", dist));
    WizardDriver wizard(process.pid());
    ASSERT_TRUE(reachSteps(wizard, dest));
    std::vector<SeenDialog> seen;
    {
        DialogWatcher watcher(answerInTurn({}), process.pid());
        auto messages = [&] {
            std::vector<SeenDialog> boxes;
            for (const SeenDialog& d : watcher.seen())
                if (d.isMessageBox)
                    boxes.push_back(d);
            return boxes;
        };
        for (DWORD waited = 0; messages().empty() && waited < 30000; waited += 20)
            Sleep(20);
        // Cancel as soon as a user could press it again
        EXPECT_TRUE(wizard.press(WIZ_CANCEL));
        EXPECT_EQ(process.wait(20000), 1u);             // ends, without a hang
        seen = messages();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, dest + "blocked - 同じ名前のファイルが既に存在するのでフォルダが作成できません。")
        << hexBytes(seen[0].text);
    // the steps ran in order and stopped: entries 1 to some k are there, none after a gap,
    // and the last step, the shortcuts, never ran
    int installed = 0;
    bool gap = false, afterGap = false;
    for (int i = 1; i <= entries; ++i) {
        if (i == 3)
            continue;
        bool there = fileExists(dest + "f" + std::to_string(i) + ".txt");
        if (there && gap)
            afterGap = true;
        gap = gap || !there;
        installed += there ? 1 : 0;
    }
    EXPECT_FALSE(afterGap);
    EXPECT_LT(installed, entries - 1);
    EXPECT_TRUE(fileExists(dest + "SETUP.EXE"));
    EXPECT_FALSE(fileExists(shellFolder("Desktop") + "\\Rovenda.lnk"));
    EXPECT_FALSE(folderExists(shellFolder("Programs") + "\\KorvalDesk"));
    RecordProperty("entries_installed_before_cancel", installed);
    removeProductShortcuts();
}
