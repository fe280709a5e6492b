// The install wizard run end to end: what lands on disk, what the pages show, what starts.
#include "scratch.h"
#include "setup_run.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

    WizardSession run(dist);
    ASSERT_TRUE(run.toFinish(dest, 0, 0));
    const WizardDriver& wizard = run.wizard;

    EXPECT_EQ(wizard.caption(), "Rovenda のインストール");
    EXPECT_EQ(wizard.controlText(PROGRESS_TEXT), wizardDoneText) << hexBytes(wizard.controlText(PROGRESS_TEXT));
    ProgressState bar = wizard.progress(PROGRESS_BAR);
    EXPECT_EQ(bar.low, 0);
    EXPECT_EQ(bar.high, 3 + 3);
    EXPECT_EQ(bar.position, 6);
    EXPECT_FALSE(bar.visible);
    EXPECT_FALSE(wizard.button(WIZ_BACK).usable());
    EXPECT_FALSE(wizard.button(WIZ_NEXT).usable());
    EXPECT_TRUE(run.finish());

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

// Started from a folder whose name the code page cannot hold (a download folder under a user
// name such as Zoë): the program finds its manifest and files beside it.
TEST(WizardInstall, StartsFromAFolderNamedOutsideTheCodePage)
{
    setPreviousInstall("");
    std::wstring dist = widened(scratchFolder("wizard-foreign")) + foreignName;
    ASSERT_TRUE(CreateDirectoryW(dist.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(widened(builtSetupPath()).c_str(), (dist + L"\\SETUP.EXE").c_str(), FALSE));
    std::string distShort = shortPathOf(dist) + "\\";
    writeFile(distShort + "SETUP.inf", "[Install]\r\n1=readme.txt\r\n");
    writeFile(distShort + "readme.txt", "readme");
    std::string dest = scratchFolder("wizard-foreign-dest");

    SetupProcess process;
    ASSERT_TRUE(startSetup(process, dist + L"\\SETUP.EXE"));
    WizardDriver wizard(process.pid());
    ASSERT_TRUE(driveToFinish(wizard, dest, 0, 0));
    EXPECT_EQ(wizard.controlText(PROGRESS_TEXT), wizardDoneText) << hexBytes(wizard.controlText(PROGRESS_TEXT));
    ASSERT_TRUE(wizard.press(WIZ_CANCEL));
    EXPECT_EQ(process.wait(), 1u);
    EXPECT_EQ(readFile(dest + "readme.txt"), "readme");
    EXPECT_EQ(readFile(dest + "SETUP.inf"), "[Install]\r\n1=readme.txt\r\n");
}

static const LONGLONG largeSize = 320ll << 20;

// A distribution of large.bin (320 MB, a hole that reads as zeros) and after.txt with the
// given install section. installed, when given, is the large.bin of an earlier
// installation, already in the destination.
struct LargeInstall {
    std::string dist, dest, target;
};

static LargeInstall stageLargeInstall(const std::string& name, const std::string& installSection,
                                      const std::string& installed = "", LONGLONG bytes = largeSize,
                                      const std::string& dest = "")
{
    setPreviousInstall("");
    LargeInstall where;
    where.dist = stageSetup(name, "[Install]\r\n" + installSection);
    writeSparseFile(where.dist + "large.bin", bytes);
    writeFile(where.dist + "after.txt", "after");
    where.dest = dest.empty() ? scratchFolder(name + "-dest") + "Rovenda" : dest;
    where.target = where.dest + "\\large.bin";
    if (!installed.empty()) {
        CreateDirectoryA(where.dest.c_str(), nullptr);
        writeFile(where.target, installed);
    }
    return where;
}

// The size of the file in folder that is none of the named ones: the copy under way (-1: none).
static LONGLONG copyUnderWay(const std::string& folder, const std::vector<std::string>& named)
{
    for (const std::string& name : namesInFolder(folder + "\\"))
        if (std::find(named.begin(), named.end(), name) == named.end())
            return fileSize(folder + "\\" + name);
    return -1;
}

TEST(WizardInstall, WindowAnswersWhileALargeFileIsCopiedAndEachStepRunsOnce)
{
    // the second entry deletes the large file again: a copy that ran twice, or a delete that
    // overlapped the copy, would leave it there or fail with a message
    LargeInstall where = stageLargeInstall("wizard-large", "1=large.bin\r\n2=,large.bin\r\n3=after.txt\r\n");
    const std::string &dist = where.dist, &dest = where.dest, &target = where.target;
    WizardSession run(dist);
    ASSERT_TRUE(run.toProgressPage(dest, 0, 0));
    const WizardDriver& wizard = run.wizard;
    DialogWatcher watcher(nullptr, run.process.pid());
    int answeredMidCopy = 0;
    HWND page = wizard.page();
    DWORD start = GetTickCount();
    while (!wizard.button(WIZ_FINISH).usable() && GetTickCount() - start < 60000) {
        DWORD_PTR result;
        ASSERT_TRUE(SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result));
        // the program's and the manifest's own copies come first: not the large file's
        LONGLONG size =
            fileExists(dest + "\\SETUP.inf") ? copyUnderWay(dest, { "SETUP.EXE", "SETUP.inf", "after.txt" }) : -1;
        if (size > 0 && size < largeSize)
            ++answeredMidCopy;
        Sleep(1);
    }
    ASSERT_TRUE(wizard.button(WIZ_FINISH).usable());
    EXPECT_GT(answeredMidCopy, 0) << "the window did not answer while the large file was copied";
    EXPECT_EQ(wizard.controlText(PROGRESS_TEXT), wizardDoneText) << hexBytes(wizard.controlText(PROGRESS_TEXT));
    for (const SeenDialog& seen : watcher.seen())
        EXPECT_FALSE(seen.isMessageBox) << seen.text;
    EXPECT_FALSE(fileExists(target));
    EXPECT_EQ(readFile(dest + "\\after.txt"), "after");
    EXPECT_EQ(wizard.progress(PROGRESS_BAR).position, 3 + 3);
    EXPECT_TRUE(run.cancel());
    deleteTree(dist);
}

TEST(WizardInstall, CancelWhileALargeFileIsReinstalledKeepsTheInstalledOneWhole)
{
    const std::string installed(3 << 20, 'i');
    LargeInstall where = stageLargeInstall("wizard-large-cancel", "1=large.bin\r\n2=after.txt\r\n", installed);
    const std::string &dist = where.dist, &dest = where.dest, &target = where.target;
    WizardSession run(dist);
    ASSERT_TRUE(run.toProgressPage(dest, 0, 0));
    DWORD start = GetTickCount();
    LONGLONG size = -1;
    while (!(size > 0 && size < largeSize / 2) && GetTickCount() - start < 30000) {
        Sleep(1);
        // the manifest's own copy comes first: a copy under way before it has arrived is its
        if (!fileExists(dest + "\\SETUP.inf"))
            continue;
        size = copyUnderWay(dest, { "SETUP.EXE", "SETUP.inf", "large.bin", "after.txt" });
        if (size < 0 && fileSize(target) != (LONGLONG)installed.size())
            size = fileSize(target);        // a copy written in place
    }
    ASSERT_TRUE(size > 0 && size < largeSize / 2) << "the copy was not seen under way";
    EXPECT_TRUE(run.cancel());
    // the installed file whole, or the new one (a hole reading as zeros: told by its size)
    EXPECT_TRUE(fileSize(target) == largeSize || readFile(target) == installed) << fileSize(target);
    EXPECT_EQ(namesInFolder(dest + "\\"), (std::vector<std::string> { "SETUP.EXE", "SETUP.inf", "large.bin" }))
        << "a step ran after Cancel, or an unfinished copy was left";
    deleteTree(dist);
}

TEST(WizardInstall, OnAFatDriveAReinstalledFileIsNeverGoneAndCancelKeepsIt)
{
    SmallDrive fat(true);
    if (!fat.mounted())
        GTEST_SKIP() << "no FAT volume can be mounted here (needs root, /dev/fuse, fusefat and mkfs.vfat)";
    // Cancel the moment the installed file is gone (a refused link removes it under Wine), or
    // at the end: it is the old file or the new one, whole; the free-space question gets Yes
    LargeInstall where = stageLargeInstall("wizard-fat-cancel", "1=large.bin\r\n", "installed", 20 << 20, "T:\\Korval");
    WizardSession run(where.dist);
    DialogWatcher watcher([](const SeenDialog& d) { return d.button(IDYES) ? IDYES : 0; }, run.process.pid());
    ASSERT_TRUE(run.toProgressPage(where.dest, 0, 0));
    for (DWORD start = GetTickCount();
         fileExists(where.target) && !run.wizard.button(WIZ_FINISH).usable() && GetTickCount() - start < 30000;)
        Sleep(1);
    EXPECT_TRUE(run.cancel());
    EXPECT_TRUE(fileSize(where.target) == 20 << 20 || readFile(where.target) == "installed") << fileSize(where.target);
}
