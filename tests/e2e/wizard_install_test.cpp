// The install wizard run end to end: what lands on disk, what the pages show, what starts.
#include "scratch.h"
#include "setup_run.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

static const char doneSentence[] = "インストールが完了しました。今後ともよろしくです。　de Tolbry";
static const char failedSentence[] = "インストール中にエラーが発生しました。";

TEST(WizardInstall, CopiesProgramManifestAndEntriesThenStartsTheProductWithInst)
{
    setPreviousInstall("");
    std::string dist = stageSetup("wizard-install",
                                  "[Install]\r\n1=Rovenda.exe\r\n2=readme.txt\r\n3=data\\sub\\a.txt\r\n");
    CopyFileA(builtRecorderPath().c_str(), (dist + "Rovenda.exe").c_str(), FALSE);
    writeFile(dist + "readme.txt", "readme");
    CreateDirectoryA((dist + "data").c_str(), nullptr);
    CreateDirectoryA((dist + "data\\sub").c_str(), nullptr);
    writeFile(dist + "data\\sub\\a.txt", "a");
    std::string dest = scratchFolder("wizard-install-dest") + "Rovenda";

    SetupProcess process;
    ASSERT_TRUE(startSetup(process, dist + "SETUP.EXE", "", dist));
    WizardDriver wizard(process.pid());
    ASSERT_TRUE(driveToFinish(wizard, dest, 0, 0));

    EXPECT_EQ(wizard.caption(), "Rovenda のインストール");
    EXPECT_EQ(wizard.controlText(PROGRESS_TEXT), doneSentence) << hexBytes(wizard.controlText(PROGRESS_TEXT));
    ProgressState bar = wizard.progress(PROGRESS_BAR);
    EXPECT_EQ(bar.low, 0);
    EXPECT_EQ(bar.high, 3 + 3);
    EXPECT_EQ(bar.position, 6);
    EXPECT_FALSE(bar.visible);
    EXPECT_FALSE(wizard.button(WIZ_BACK).usable());
    EXPECT_FALSE(wizard.button(WIZ_NEXT).usable());
    ASSERT_TRUE(wizard.press(WIZ_FINISH));
    EXPECT_EQ(process.wait(), 1u);

    std::string installed = dest + "\\";
    EXPECT_TRUE(fileExists(installed + "SETUP.EXE"));
    EXPECT_EQ(readFile(installed + "SETUP.inf"), readFile(dist + "SETUP.inf"));
    EXPECT_TRUE(fileExists(installed + "Rovenda.exe"));
    EXPECT_EQ(readFile(installed + "readme.txt"), "readme");
    EXPECT_EQ(readFile(installed + "data\\sub\\a.txt"), "a");

    std::string commandLine, directory;
    ASSERT_TRUE(readRecorderLog(installed, &commandLine, &directory));
    EXPECT_EQ(commandLine.substr(commandLine.size() - 6), " -Inst") << commandLine;
    EXPECT_NE(commandLine.find(installed + "Rovenda.exe"), std::string::npos) << commandLine;
    // the product inherits the setup program's folder as its current directory
    EXPECT_EQ(directory + "\\", dist);
}
