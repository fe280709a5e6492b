// Starting SETUP.EXE with argument texts that name no work: it ends by itself, exit value 1.
#include "scratch.h"
#include "setup_run.h"
#include "windows_seen.h"

#include <gtest/gtest.h>

TEST(Start, OddArgumentTextsEndWithExitValueOneAndNoWindow)
{
    std::string folder = stageSetup("start-odd");
    const char* argumentTexts[] = { "c", "/c", "c ", "c Tool", "c Tool/tool.exe", "x", "/x", "x ", "x SETUP.EXE",
                                    "x C:\\setuptests\\start-odd\\", "x \"\"" };
    for (const char* arguments : argumentTexts) {
        SetupProcess setup;
        ASSERT_TRUE(startSetup(setup, folder + "SETUP.EXE", arguments, folder)) << arguments;
        DialogWatcher watcher(nullptr, setup.pid());
        EXPECT_EQ(setup.wait(), 1u) << arguments;
        EXPECT_TRUE(watcher.seen().empty()) << arguments;
    }
    // the one-separator copy text created nothing beside the program
    EXPECT_FALSE(folderExists(folder + "tool.exe"));
}

TEST(Start, ProgramFileNameLongerThanItsFieldDoesNothing)
{
    // 52 bytes of file name: the manifest name could not be formed, so nothing runs
    std::string folder = stageSetup("start-long-name");
    std::string longName = folder + std::string(48, 'L') + ".EXE";
    ASSERT_TRUE(CopyFileA((folder + "SETUP.EXE").c_str(), longName.c_str(), FALSE));
    SetupProcess setup;
    ASSERT_TRUE(startSetup(setup, longName, "", folder));
    DialogWatcher watcher(nullptr, setup.pid());
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_TRUE(watcher.seen().empty());
}
