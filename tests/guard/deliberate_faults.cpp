// Deliberately failing scenarios that show the test guard at work. They are not part of any
// suite: scripts/check-guard starts each and passes only when it fails within seconds and
// leaves no process running.
#include "app/state.h"
#include "scratch.h"
#include "setup_run.h"
#include "test_guard.h"
#include "uninstall_staging.h"
#include "util/folders.h"

#include <gtest/gtest.h>

#include <string.h>

static const char pidFile[] = "C:\\setuptests\\guard-pids.txt";

// Product code reports a plain file where a folder must go, and no test reads its message
// box: the guard answers it and fails this test with the box's caption and text.
TEST(DeliberateFault, UnexpectedMessageBoxInProcess)
{
    std::string folder = scratchFolder("guard unexpected box");
    writeFile(folder + "blocker", "");
    resetSetupState();
    char path[MAX_PATH];
    strcpy(path, (folder + "blocker\\sub\\").c_str());
    makeFolderPath(path);
}

// Mode r starts its copy in the system directory, which stops at its question about a file
// the installation did not bring; the test then fails without ending anything. The guard
// ends the copy by pid; the pids go to a file for the check that follows.
TEST(DeliberateFault, LeftoverChildEndToEnd)
{
    std::string folder = stageInstalled("guard leftover", "[Install]\r\n1=KORVAL.EXE\r\n", { "KORVAL.EXE" });
    writeFile(folder + "user file.txt", "the user's own");
    SetupProcess setup;
    ASSERT_TRUE(startSetup(setup, folder + "SETUP.EXE", "r", folder));
    DialogWatcher prompt(answerInTurn({ IDOK }), setup.pid());
    FoundWindow question = findDialogByCaption("Rovendaの削除", setup.pid());
    ASSERT_NE(question.window, nullptr);
    std::string pids;
    for (DWORD pid : testProcesses())
        pids += std::to_string(pid) + "\n";
    writeFile(pidFile, pids);
    FAIL() << "deliberately failed while the system-directory copy (process " << question.pid << ") still runs";
}

// Run after the scenario above: every process it left is gone.
TEST(GuardCheck, ProcessesOfTheFailedTestAreGone)
{
    std::string pids = readFile(pidFile);
    ASSERT_FALSE(pids.empty());
    for (size_t at = 0; at < pids.size();) {
        size_t end = pids.find('\n', at);
        DWORD pid = (DWORD)strtoul(pids.substr(at, end - at).c_str(), nullptr, 10);
        at = end + 1;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        DWORD code = 0;
        bool running = process && GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
        EXPECT_FALSE(running) << "process " << pid << " still runs";
        if (process)
            CloseHandle(process);
    }
    DeleteFileA(pidFile);
}
