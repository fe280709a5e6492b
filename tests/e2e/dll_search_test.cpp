// DLLs planted beside SETUP.EXE under the names of system DLLs are never loaded, in any
// mode, even with Wine told to search for them as Windows does (program folder first).
// The program restricts the search before any such load and loads them from the system
// directory itself; comctl32 is not a static import, so its start-up comes after that.
#include "scratch.h"
#include "setup_run.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

#define REQUIRE_PLANTED_DLLS_SEARCHED_FIRST()                                                                \
    if (!plantedDllsSearchedFirst())                                                                     \
    GTEST_SKIP() << "needs WINEDLLOVERRIDES with uxtheme,msimg32,comctl32=n,b (ctest sets it)"

TEST(DllSearch, WizardWithFolderPickerAndShortcutsLoadsNoPlantedDll)
{
    REQUIRE_PLANTED_DLLS_SEARCHED_FIRST();
    setPreviousInstall("");
    std::string dist = stageSetup("dll-wizard", "[Install]\r\n1=Rovenda.exe\r\n");
    CopyFileA(builtRecorderPath().c_str(), (dist + "Rovenda.exe").c_str(), FALSE);
    plantDlls(dist);
    std::string dest = scratchFolder("dll-wizard-dest") + "Rovenda";

    WizardSession run(dist);
    ASSERT_TRUE(run.ready()) << "planted DLLs loaded: " << plantedDllsLoaded(dist);
    run.wizard.clickPageButton(BROWSE);
    SeenDialog picker = run.wizard.waitForOtherDialog();
    ASSERT_NE(picker.window, nullptr);
    ASSERT_TRUE(run.wizard.answer(picker, IDCANCEL));
    // system code loads DLLs by name long after start-up (the Windows shell's picker and
    // shell-link code do; Wine's load none): the program is made to load one by name now,
    // and the search restriction of its start-up must keep the planted copy out
    ASSERT_TRUE(loadLibraryInside(run.process.pid(), "linkinfo.dll"));
    // both shortcuts: the shell-link code runs too
    ASSERT_TRUE(run.toFinish(dest, 1, 1));
    EXPECT_TRUE(run.finish());
    EXPECT_TRUE(fileExists(dest + "\\Rovenda.exe"));
    EXPECT_TRUE(fileExists(shellFolder("Desktop") + "\\Rovenda.lnk"));
    EXPECT_EQ(plantedDllsLoaded(dist), "");
    removeProductShortcuts();
}

TEST(DllSearch, RelaunchPromptLoadsNoPlantedDll)
{
    REQUIRE_PLANTED_DLLS_SEARCHED_FIRST();
    std::string folder = stageSetup("dll-relaunch", "[Install]\r\n");
    plantDlls(folder);
    EndedRun run = runToEnd(folder + "SETUP.EXE", "r", folder, answerInTurn({ IDCANCEL }));
    EXPECT_EQ(run.exitCode, 1u);
    ASSERT_EQ(run.dialogs.size(), 1u) << "planted DLLs loaded: " << plantedDllsLoaded(folder);
    EXPECT_EQ(run.dialogs[0].caption, "Rovenda");
    EXPECT_EQ(plantedDllsLoaded(folder), "");
}

TEST(DllSearch, UninstallRunLoadsNoPlantedDll)
{
    REQUIRE_PLANTED_DLLS_SEARCHED_FIRST();
    std::string installed = stageInstalled("dll-installed", "[Install]\r\n1=readme.txt\r\n", { "readme.txt" });
    std::string runner = stageSetup("dll-runner");
    plantDlls(runner);
    SetupProcess process;
    ASSERT_TRUE(startSetup(process, runner + "SETUP.EXE", "x " + installed + "SETUP.EXE", runner));
    UninstallDriver driver;
    UninstallResult result = answerUninstallRun(process.pid(), driver);
    ASSERT_TRUE(result.shown) << "planted DLLs loaded: " << plantedDllsLoaded(runner);
    EXPECT_EQ(result.text, "Rovendaは正常に削除されました。");
    pressButton(driver.seen->uninstallDialog, IDCANCEL);
    EXPECT_EQ(process.wait(), 1u);
    EXPECT_FALSE(folderExists(installed));
    EXPECT_EQ(plantedDllsLoaded(runner), "");
}

TEST(DllSearch, CopyModeLoadsNoPlantedDll)
{
    REQUIRE_PLANTED_DLLS_SEARCHED_FIRST();
    std::string program = stageSetup("dll-copy", "[Install]\r\n1=tool.exe\r\n");
    writeFile(program + "tool.exe", "tool");
    plantDlls(program);
    std::string copy = scratchFolder("dll-copy-dest") + "Copy";
    EXPECT_EQ(runToEnd(program + "SETUP.EXE", "c DllCopyTool/tool.exe/" + copy, program).exitCode, 1u);
    EXPECT_EQ(readFile(copy + "\\tool.exe"), "tool");
    std::string link = shellFolder("Desktop") + "\\DllCopyTool.lnk";
    EXPECT_TRUE(fileExists(link));
    DeleteFileA(link.c_str());
    EXPECT_EQ(plantedDllsLoaded(program), "");
}

TEST(DllSearch, UnattendedInstallWithShortcutsAndStartAndItsRemovalLoadNoPlantedDll)
{
    REQUIRE_PLANTED_DLLS_SEARCHED_FIRST();
    setPreviousInstall("");
    std::string dist = stageSetup("dll-unattended", "[Install]\r\n1=Rovenda.exe\r\n");
    CopyFileA(builtRecorderPath().c_str(), (dist + "Rovenda.exe").c_str(), FALSE);
    plantDlls(dist);
    std::string dest = scratchFolder("dll-unattended-dest") + "Rovenda\\";
    EXPECT_EQ(runProcess("\"" + dist + "SETUP.EXE\" /S /MENU=1 /DESKTOP=1 /D=" + dest, dist), 0u);
    std::string commandLine, directory;
    EXPECT_TRUE(readRecorderLog(dest, &commandLine, &directory));
    plantDlls(dest);      // kept, with the product's record: files the installation did not bring
    EXPECT_EQ(runProcess("\"" + dest + "SETUP.EXE\" /r /S", dest), 6u);
    EXPECT_EQ(plantedDllsLoaded(dist) + plantedDllsLoaded(dest), "");
    removeProductShortcuts();
}
