// The vendor's tool writes the manifest of a distribution folder; the wizard installs it.
#include "scratch.h"
#include "setup_run.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

TEST(ManifestWriter, TheWizardInstallsExactlyTheFilesOfTheFolderTheManifestWasWrittenFrom)
{
    setPreviousInstall("");
    std::string dist = stageSetup("manifest-writer");
    CopyFileA(builtRecorderPath().c_str(), (dist + "Rovenda.exe").c_str(), FALSE);
    CreateDirectoryA((dist + "data").c_str(), nullptr);
    CreateDirectoryA((dist + "data\\ソフト").c_str(), nullptr);
    const std::vector<std::string> files = { "readme.txt", "data\\10.dat", "data\\2.dat", "data\\ソフト\\表.txt" };
    for (const std::string& file : files)
        writeFile(dist + file, file);
    std::string setupFolder = builtSetupPath().substr(0, builtSetupPath().rfind('\\') + 1);
    std::string tool = "\"" + setupFolder + "tools\\setupcheck\\setupcheck.exe\" --write-install Rovenda.exe SETUP.inf";

    // a name Shift_JIS cannot hold: refused, and nothing written
    std::wstring unheld = std::wstring(dist.begin(), dist.end()) + L"caf\u00E9.txt";
    CloseHandle(CreateFileW(unheld.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(runProcess(tool, dist), 2u);
    EXPECT_FALSE(fileExists(dist + "SETUP.inf"));
    DeleteFileW(unheld.c_str());
    ASSERT_EQ(runProcess(tool, dist), 0u);

    std::string dest = scratchFolder("manifest-writer-dest") + "Rovenda\\";
    SetupProcess process;
    ASSERT_TRUE(startSetup(process, dist + "SETUP.EXE", "", dist));
    WizardDriver wizard(process.pid());
    ASSERT_TRUE(driveToFinish(wizard, dest.substr(0, dest.size() - 1), 0, 0));
    for (const std::string& folder : { "", "data\\", "data\\ソフト\\" })
        EXPECT_EQ(namesInFolder(dest + folder), namesInFolder(dist + folder)) << folder;
    for (const std::string& file : files)
        EXPECT_EQ(readFile(dest + file), file);
    // entry 1 is the main program: Finish starts it
    ASSERT_TRUE(wizard.press(WIZ_FINISH));
    EXPECT_EQ(process.wait(), 1u);
    std::string commandLine, directory;
    ASSERT_TRUE(readRecorderLog(dest, &commandLine, &directory));
    EXPECT_NE(commandLine.find(dest + "Rovenda.exe"), std::string::npos) << commandLine;
}
