// Mode r of the real SETUP.EXE in an installed folder: the prompt, the copy in the system
// directory started in mode x, a start that fails, and the copy's removal at restart.
#include "scratch.h"
#include "test_guard.h"
#include "uninstall_staging.h"

#include <gtest/gtest.h>

static const char promptText[] = "Rovenda を削除します。";
static const char failedText[] = "アンインストールに失敗しました。手動で削除してください。";
static const char manifest[] = "[Install]\r\n1=KORVAL.EXE\r\n2=lib\\tool.dll\r\n";

static std::string systemDirectory()
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\";
}

// Where the system directory's files really are: a 32-bit program on 64-bit Windows writes
// to the system directory through the file system redirector, into SysWOW64.
static std::string realSystemDirectory()
{
    BOOL wow64 = FALSE;
    char dir[MAX_PATH];
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64 && GetSystemWow64DirectoryA(dir, sizeof dir))
        return std::string(dir) + "\\";
    return systemDirectory();
}

static std::string pendingRenames()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return "";
    std::string value(1 << 20, '\0');
    DWORD size = (DWORD)value.size();
    LONG read = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, (BYTE*)&value[0], &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        return "";
    value.resize(size);
    for (char& c : value)
        if (c == 0)
            c = '|';
    return value;
}

static void expectPrompt(const SeenDialog& prompt)
{
    EXPECT_TRUE(prompt.isMessageBox);
    EXPECT_EQ(prompt.text, promptText) << hexBytes(prompt.text);
    EXPECT_EQ(prompt.caption, "Rovenda");
    EXPECT_TRUE(iconIs(iconOfControl(GetDlgItem(prompt.window, 0x0440)), "information"));
    EXPECT_EQ(prompt.owner, nullptr);
    ASSERT_EQ(prompt.buttons.size(), 2u);
    ASSERT_NE(prompt.button(IDOK), nullptr);
    ASSERT_NE(prompt.button(IDCANCEL), nullptr);
    EXPECT_TRUE(prompt.button(IDCANCEL)->isDefault);
    EXPECT_FALSE(prompt.button(IDOK)->isDefault);
}

TEST(UninstallRelaunch, CancelAtThePromptChangesNothing)
{
    std::string copy = systemDirectory() + "SETUP.EXE";
    DeleteFileA(copy.c_str());
    std::string folder = stageInstalled("relaunch cancel", manifest, { "KORVAL.EXE", "lib\\tool.dll" });
    EndedRun run = runToEnd(folder + "SETUP.EXE", "r", folder, [](const SeenDialog& d) {
        expectPrompt(d);
        return IDCANCEL;
    });
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.dialogs.size(), 1u);
    EXPECT_FALSE(fileExists(copy));
    for (const char* file : { "SETUP.EXE", "SETUP.inf", "KORVAL.EXE", "lib\\tool.dll" })
        EXPECT_TRUE(fileExists(folder + file)) << file;
}

TEST(UninstallRelaunch, OkStartsTheSystemDirectoryCopyOnTheInstalledPathWhichGoesAtRestart)
{
    std::string copy = systemDirectory() + "SETUP.EXE";
    DeleteFileA(copy.c_str());
    // blanks in the installed path reach the copy whole
    std::string folder = stageInstalled("relaunch with blanks", manifest, { "KORVAL.EXE", "lib\\tool.dll" });
    SetupProcess process;
    ASSERT_TRUE(startSetup(process, folder + "SETUP.EXE", "r", folder));
    {
        DialogWatcher watcher(
            [](const SeenDialog& d) {
                expectPrompt(d);
                return IDOK;
            },
            process.pid());
        FoundWindow dialog = findDialogByCaption("Rovendaの削除", process.pid());
        ASSERT_NE(dialog.window, nullptr);
        HANDLE copyProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dialog.pid);
        UninstallResult result = waitForResult(dialog.window);
        EXPECT_EQ(result.text, "Rovendaは正常に削除されました。");
        EXPECT_EQ(process.wait(), 1u);
        // the copy runs from the system directory, byte for byte the program
        char running[MAX_PATH] = "";
        DWORD size = sizeof running;
        QueryFullProcessImageNameA(copyProcess, 0, running, &size);
        EXPECT_EQ(lstrcmpiA(running, (realSystemDirectory() + "SETUP.EXE").c_str()), 0) << running;
        EXPECT_EQ(readFile(copy), readFile(builtSetupPath()));
        pressButton(dialog.window, IDCANCEL);
        EXPECT_EQ(WaitForSingleObject(copyProcess, 20000), WAIT_OBJECT_0);
        DWORD exitCode = 0;
        GetExitCodeProcess(copyProcess, &exitCode);
        EXPECT_EQ(exitCode, 1u);
        CloseHandle(copyProcess);
    }
    EXPECT_FALSE(folderExists(folder));

    // the copy has asked for its deletion at restart; a simulated restart carries it out
    std::string pending = pendingRenames();
    EXPECT_NE(pending.find("\\??\\" + realSystemDirectory() + "SETUP.EXE|"), std::string::npos) << pending;
    EXPECT_TRUE(fileExists(copy));
    allowTestTime(240);             // the simulated restart may take up to two minutes
    EXPECT_EQ(runProcess(systemDirectory() + "wineboot.exe -r", "", 120000), 0u);
    EXPECT_FALSE(fileExists(copy));
}

TEST(UninstallRelaunch, StartThatFailsShowsItsMessage)
{
    // folders in the system directory under the program's name and every free name beside it:
    // no copy can be made or started
    std::vector<std::string> blockers = { systemDirectory() + "BLOCKED.EXE" };
    for (char n = '1'; n <= '9'; ++n)
        blockers.push_back(systemDirectory() + "~" + n + "BLOCKED.EXE");
    for (const std::string& blocker : blockers)
        CreateDirectoryA(blocker.c_str(), nullptr);
    std::string folder = scratchFolder("relaunch blocked");
    CopyFileA(builtSetupPath().c_str(), (folder + "BLOCKED.EXE").c_str(), FALSE);
    writeFile(folder + "BLOCKED.inf", manifest);
    EndedRun run = runToEnd(folder + "BLOCKED.EXE", "R", folder, answerInTurn({ IDOK, IDOK }), 60000);
    EXPECT_EQ(run.exitCode, 1u);
    const std::vector<SeenDialog>& seen = run.dialogs;
    for (const std::string& blocker : blockers)
        RemoveDirectoryA(blocker.c_str());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text, failedText) << hexBytes(seen[1].text);
    EXPECT_EQ(seen[1].caption, "Rovenda");
    EXPECT_EQ(seen[1].owner, nullptr);
    EXPECT_EQ(seen[1].buttons.size(), 1u);
    EXPECT_TRUE(fileExists(folder + "BLOCKED.EXE"));
}
