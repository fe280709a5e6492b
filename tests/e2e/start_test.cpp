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
        EndedRun run = runToEnd(folder + "SETUP.EXE", arguments, folder);
        EXPECT_EQ(run.exitCode, 1u) << arguments;
        EXPECT_TRUE(run.dialogs.empty()) << arguments;
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
    EndedRun run = runToEnd(longName, "", folder);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(run.dialogs.empty());
}
