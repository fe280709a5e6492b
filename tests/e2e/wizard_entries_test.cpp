// Install entries of every form, shortcuts and cancellation, seen from outside the wizard.
#include "lnk_check.h"
#include "scratch.h"
#include "setup_run.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

TEST(InstallEntries, EveryFormInstallsAndAFailureLetsTheLaterEntriesInstall)
{
    setPreviousInstall("");
    removeProductShortcuts();
    std::string dist = stageSetup("entries",
                                  "[Install]\r\n"
                                  "1=readme.txt,doc\\liesmich.txt\r\n"  // under another name, in a new folder
                                  "2=,old.dat\r\n"                      // delete, read-only
                                  "3=,never.dat\r\n"                    // delete what is not there
                                  "4=data\\sub\\a.txt\r\n"              // two new levels
                                  "5=ro.txt\r\n"                        // over a read-only file
                                  "6=missing.txt\r\n"                   // no such source
                                  "7=blocked\\b.txt\r\n"                // a plain file where a folder goes
                                  "8=last.txt\r\n");
    writeFile(dist + "readme.txt", "readme");
    CreateDirectoryA((dist + "data").c_str(), nullptr);
    CreateDirectoryA((dist + "data\\sub").c_str(), nullptr);
    writeFile(dist + "data\\sub\\a.txt", "a");
    writeFile(dist + "ro.txt", "new");
    CreateDirectoryA((dist + "blocked").c_str(), nullptr);
    writeFile(dist + "blocked\\b.txt", "b");
    writeFile(dist + "last.txt", "last");

    std::string dest = scratchFolder("entries-dest");
    writeFile(dest + "old.dat", "old");
    SetFileAttributesA((dest + "old.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    writeFile(dest + "ro.txt", "old");
    SetFileAttributesA((dest + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    writeFile(dest + "blocked", "a file");

    WizardSession run(dist);
    ASSERT_TRUE(run.toProgressPage(dest, 0, 0));
    const WizardDriver& wizard = run.wizard;
    // while the steps run: the template's sentence, no wizard button, Cancel still there
    EXPECT_EQ(wizard.controlText(PROGRESS_TEXT), "ファイルをコピーしています...");
    EXPECT_FALSE(wizard.button(WIZ_BACK).usable());
    EXPECT_FALSE(wizard.button(WIZ_NEXT).usable());
    EXPECT_FALSE(wizard.button(WIZ_FINISH).usable());
    EXPECT_TRUE(wizard.button(WIZ_CANCEL).usable());
    EXPECT_EQ(wizard.caption(), "Rovenda のインストール");

    SeenDialog box = wizard.waitForOtherDialog(20000);
    ASSERT_TRUE(box.isMessageBox);
    EXPECT_EQ(box.text, dest + "blocked - 同じ名前のファイルが既に存在するのでフォルダが作成できません。")
        << hexBytes(box.text);
    EXPECT_EQ(iconShown(box), "error");
    EXPECT_EQ(box.owner, wizard.frame());
    ASSERT_TRUE(wizard.answer(box, IDOK));

    ASSERT_TRUE(wizard.waitForButton(WIZ_FINISH));
    EXPECT_EQ(wizard.controlText(PROGRESS_TEXT), wizardFailedText) << hexBytes(wizard.controlText(PROGRESS_TEXT));
    ProgressState bar = wizard.progress(PROGRESS_BAR);
    EXPECT_EQ(bar.high, 8 + 3);
    EXPECT_EQ(bar.position, 8 + 3);
    EXPECT_FALSE(bar.visible);
    EXPECT_FALSE(wizard.button(WIZ_NEXT).usable());
    EXPECT_TRUE(run.cancel());

    EXPECT_EQ(readFile(dest + "doc\\liesmich.txt"), "readme");
    EXPECT_FALSE(fileExists(dest + "readme.txt"));
    EXPECT_FALSE(fileExists(dest + "old.dat"));
    EXPECT_FALSE(fileExists(dest + "never.dat"));
    EXPECT_EQ(readFile(dest + "data\\sub\\a.txt"), "a");
    // as root under Wine a read-only target is overwritten anyway; the result is what counts
    EXPECT_EQ(readFile(dest + "ro.txt"), "new");
    EXPECT_FALSE(fileExists(dest + "missing.txt"));
    EXPECT_EQ(readFile(dest + "blocked"), "a file");
    EXPECT_EQ(readFile(dest + "last.txt"), "last");
    // nothing was chosen on the options page: no shortcut
    EXPECT_FALSE(fileExists(shellFolder("Programs") + "\\Rovenda.lnk"));
    EXPECT_FALSE(fileExists(shellFolder("Desktop") + "\\Rovenda.lnk"));
}

TEST(InstallEntries, WithoutEntriesFourStepsCopyTheProgramAndTheManifest)
{
    setPreviousInstall("");
    std::string dist = stageSetup("entries-none", "[Other]\r\nx=1\r\n");
    std::string dest = scratchFolder("entries-none-dest") + "a\\b";
    WizardSession run(dist);
    ASSERT_TRUE(run.toFinish(dest, 0, 0));
    ProgressState bar = run.wizard.progress(PROGRESS_BAR);
    EXPECT_EQ(bar.low, 0);
    EXPECT_EQ(bar.high, 3);
    EXPECT_EQ(bar.position, 3);
    EXPECT_EQ(run.wizard.controlText(PROGRESS_TEXT), wizardDoneText);
    EXPECT_TRUE(run.wizard.button(WIZ_FINISH).usable());
    EXPECT_TRUE(run.cancel());
    EXPECT_TRUE(fileExists(dest + "\\SETUP.EXE"));
    EXPECT_TRUE(fileExists(dest + "\\SETUP.inf"));
}

TEST(WizardShortcuts, GroupEntriesGiveTheGroupFolderAndTheDesktopShortcut)
{
    setPreviousInstall("");
    removeProductShortcuts();
    std::string dist = stageSetup("shortcuts-group",
                                  "[Install]\r\n1=tool.exe\r\n2=readme.txt\r\n"
                                  "[Group]\r\n1=ツール,tool.exe,-x\r\n2=Readme,readme.txt\r\n3=Missing,missing.exe\r\n");
    writeFile(dist + "tool.exe", "MZ");
    writeFile(dist + "readme.txt", "readme");
    std::string dest = scratchFolder("shortcuts-group-dest");
    WizardSession run(dist);
    ASSERT_TRUE(run.toFinish(dest, 1, 1));
    EXPECT_TRUE(run.cancel());

    std::string group = shellFolder("Programs") + "\\KorvalDesk\\";
    EXPECT_TRUE(linkIs(group + "ツール.lnk", dest + "tool.exe", "-x", dest));
    EXPECT_TRUE(linkIs(group + "Readme.lnk", dest + "readme.txt", "", dest));
    EXPECT_FALSE(fileExists(group + "Missing.lnk"));
    EXPECT_FALSE(fileExists(shellFolder("Programs") + "\\Rovenda.lnk"));
    EXPECT_TRUE(linkIs(shellFolder("Desktop") + "\\Rovenda.lnk", dest + "tool.exe", "-x", dest));
    removeProductShortcuts();
}

TEST(WizardShortcuts, WithoutGroupEntriesBothPointAtTheLastInstalledEntry)
{
    setPreviousInstall("");
    removeProductShortcuts();
    std::string dist = stageSetup("shortcuts-single", "[Install]\r\n1=tool.exe\r\n2=readme.txt\r\n");
    writeFile(dist + "tool.exe", "MZ");
    writeFile(dist + "readme.txt", "readme");
    std::string dest = scratchFolder("shortcuts-single-dest");
    WizardSession run(dist);
    ASSERT_TRUE(run.toFinish(dest, 1, 1));
    EXPECT_TRUE(run.cancel());
    EXPECT_TRUE(linkIs(shellFolder("Programs") + "\\Rovenda.lnk", dest + "readme.txt", "", dest));
    EXPECT_TRUE(linkIs(shellFolder("Desktop") + "\\Rovenda.lnk", dest + "readme.txt", "", dest));
    EXPECT_FALSE(folderExists(shellFolder("Programs") + "\\KorvalDesk"));
    removeProductShortcuts();
}

TEST(WizardShortcuts, OnlyTheChosenKindIsCreated)
{
    struct Case {
        int startMenu, desktop;
    };
    for (Case c : { Case { 0, 1 }, Case { 1, 0 } }) {
        SCOPED_TRACE(c.startMenu ? "start menu only" : "desktop only");
        setPreviousInstall("");
        removeProductShortcuts();
        std::string dist = stageSetup("shortcuts-choice", "[Install]\r\n1=tool.exe\r\n[Group]\r\n1=Tool,tool.exe,a/b\r\n");
        writeFile(dist + "tool.exe", "MZ");
        std::string dest = scratchFolder("shortcuts-choice-dest");
        WizardSession run(dist);
        ASSERT_TRUE(run.toFinish(dest, c.startMenu, c.desktop));
        EXPECT_TRUE(run.cancel());
        std::string group = shellFolder("Programs") + "\\KorvalDesk\\";
        std::string desktop = shellFolder("Desktop") + "\\Rovenda.lnk";
        EXPECT_EQ(fileExists(group + "Tool.lnk"), c.startMenu != 0);
        EXPECT_EQ(fileExists(desktop), c.desktop != 0);
        // the options page was completed: a slash as second argument character gives no arguments
        EXPECT_TRUE(linkIs(c.startMenu ? group + "Tool.lnk" : desktop, dest + "tool.exe", "", dest));
    }
    removeProductShortcuts();
}

TEST(WizardCancel, CancelOnEveryPageEndsWithExitValueOne)
{
    setPreviousInstall("");
    for (int page = 0; page <= 2; ++page) {
        SCOPED_TRACE(page);
        std::string dist = stageSetup("cancel", "[Install]\r\n1=readme.txt\r\n");
        writeFile(dist + "readme.txt", "readme");
        std::string dest = scratchFolder("cancel-dest") + "Rovenda";
        WizardSession run(dist);
        ASSERT_TRUE(run.ready());
        run.wizard.typeIntoField(DEST_PATH, dest);
        if (page >= 1) {
            ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
            ASSERT_TRUE(run.wizard.waitForPage(1));
            run.wizard.setChecked(START_MENU_BOX, false);
            run.wizard.setChecked(DESKTOP_BOX, false);
        }
        if (page >= 2) {
            ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
            ASSERT_TRUE(run.wizard.waitForPage(2));
        }
        EXPECT_TRUE(run.cancel());
        // cancelled before the first step (it starts 300 ms after the page shows): nothing copied
        EXPECT_FALSE(fileExists(dest + "\\SETUP.EXE"));
    }
}
