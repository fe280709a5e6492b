// Bad input met from outside: odd Uninstall entries, odd manifests, Cancel while the
// installation runs. Checked by what the user sees and what is left on disk.
#include "scratch.h"
#include "setup_run.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

// Starts the wizard of a distribution and returns the destination it proposes.
static std::string proposedDestination(const std::string& dist)
{
    WizardSession run(dist);
    std::string shown = run.ready() ? run.wizard.controlText(DEST_PATH) : "(no wizard)";
    run.cancel();
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

    WizardSession run(dist);
    ASSERT_TRUE(run.toProgressPage(dest, 1, 1));             // both boxes checked
    std::vector<SeenDialog> seen;
    {
        DialogWatcher watcher(answerInTurn({}), run.process.pid());
        auto messages = [&] {
            std::vector<SeenDialog> boxes;
            for (const SeenDialog& d : watcher.seen())
                if (d.isMessageBox)
                    boxes.push_back(d);
            return boxes;
        };
        for (DWORD waited = 0; messages().empty() && waited < 30000; waited += 20)
            Sleep(20);
        // Cancel as soon as a user could press it again; the program ends, without a hang
        EXPECT_TRUE(run.cancel(20000));
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

// One installation without shortcuts, as a user sees it.
struct InstallRun {
    std::string dist, dest;
    std::string result;                 // the result sentence; "" when the wizard got stuck
    std::vector<SeenDialog> messages;   // questions answered Yes, errors answered OK
};

// Installs a distribution with this manifest (and readme.txt and 説明.txt beside it, and
// whatever prepare adds) into dest, or into a new folder when dest is empty.
static InstallRun installWith(const std::string& name, const std::string& manifest, std::string dest = "",
                              std::function<void(const std::string& dist)> prepare = nullptr,
                              DWORD finishTimeoutMs = 20000)
{
    InstallRun run;
    setPreviousInstall("");
    run.dist = stageSetup(name);
    writeFile(run.dist + "SETUP.inf", manifest);    // an empty one too
    writeFile(run.dist + "readme.txt", "readme");
    writeFile(run.dist + "説明.txt", "setsumei");
    if (prepare)
        prepare(run.dist);
    run.dest = dest.empty() ? scratchFolder(name + "-dest") : dest;
    WizardSession setupRun(run.dist);
    DialogWatcher watcher(
        [](const SeenDialog& d) { return !d.isMessageBox ? 0 : d.button(IDYES) ? IDYES : IDOK; }, setupRun.process.pid());
    if (setupRun.toFinish(run.dest, 0, 0, finishTimeoutMs))
        run.result = setupRun.wizard.controlText(PROGRESS_TEXT);
    if (!setupRun.cancel())             // Finish would start the product: close without it
        run.result = "exit value not 1";
    for (const SeenDialog& d : watcher.seen())
        if (d.isMessageBox)
            run.messages.push_back(d);
    return run;
}

TEST(BadInput, OddManifestsInstallWhatTheyNameAndNothingElse)
{
    typedef std::vector<std::string> Names;
    // empty: the program and its manifest
    InstallRun run = installWith("manifest-empty", "");
    EXPECT_EQ(run.result, wizardDoneText);
    EXPECT_EQ(namesInFolder(run.dest), (Names { "SETUP.EXE", "SETUP.inf" }));

    // blanks around keys and values are the profile reader's to drop; a key with a leading
    // zero is never asked for, and the count stops before it
    run = installWith("manifest-blanks", "[Install]\r\n  1  =   readme.txt   \r\n02=説明.txt\r\n");
    EXPECT_EQ(run.result, wizardDoneText);
    EXPECT_EQ(namesInFolder(run.dest), (Names { "SETUP.EXE", "SETUP.inf", "readme.txt" }));
    EXPECT_EQ(readFile(run.dest + "readme.txt"), "readme");

    // UTF-8 with a byte-order mark: the text reaches the program in its own code page
    run = installWith("manifest-utf8", "\xEF\xBB\xBF[Install]\r\n1=readme.txt\r\n2=\xE8\xAA\xAC\xE6\x98\x8E.txt\r\n");
    EXPECT_EQ(run.result, wizardDoneText);
    EXPECT_EQ(namesInFolder(run.dest), (Names { "SETUP.EXE", "SETUP.inf", "readme.txt", "説明.txt" }));

    // binary garbage: whatever the reader makes of it, no file lands outside the folder
    std::string garbage;
    unsigned int state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += (char)(state >> 16);
    }
    run = installWith("manifest-garbage", garbage);
    EXPECT_TRUE(run.result == wizardDoneText || run.result == wizardFailedText) << hexBytes(run.result);
    EXPECT_EQ(namesInFolder(run.dest), (Names { "SETUP.EXE", "SETUP.inf" }));
    EXPECT_TRUE(run.messages.empty());
}

TEST(BadInput, AManifestOfFiveThousandEntriesRunsEveryStep)
{
    std::string manifest = "[Install]\r\n";
    for (int i = 1; i < 5000; ++i)
        manifest += std::to_string(i) + "=,gone\\" + std::to_string(i) + ".txt\r\n";
    manifest += "5000=readme.txt,last\\readme.txt\r\n";
    InstallRun run = installWith("manifest-5000", manifest, "", nullptr, 300000);
    EXPECT_EQ(run.result, wizardDoneText);
    EXPECT_EQ(readFile(run.dest + "last\\readme.txt"), "readme");
    EXPECT_FALSE(folderExists(run.dest + "gone"));
}

TEST(BadInput, ASourceHeldOpenFailsOnlyItsOwnEntry)
{
    HANDLE held = INVALID_HANDLE_VALUE;
    InstallRun run = installWith("source-held", "[Install]\r\n1=held.txt\r\n2=readme.txt\r\n", "",
                                 [&](const std::string& dist) {
                                     writeFile(dist + "held.txt", "held");
                                     // another process's handle that shares nothing
                                     held = CreateFileA((dist + "held.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                        nullptr, OPEN_EXISTING, 0, nullptr);
                                 });
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CloseHandle(held);
    EXPECT_EQ(run.result, wizardFailedText);
    EXPECT_FALSE(fileExists(run.dest + "held.txt"));
    EXPECT_EQ(readFile(run.dest + "readme.txt"), "readme");
    EXPECT_TRUE(run.messages.empty());
}

TEST(BadInput, AReadOnlyDestinationFolderIsWrittenAsWindowsDoes)
{
    // the read-only attribute of a folder does not protect its contents on Windows
    std::string dest = scratchFolder("readonly-dest");
    writeFile(dest + "mine.txt", "mine");
    SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_READONLY);
    InstallRun run = installWith("readonly", "[Install]\r\n1=readme.txt\r\n", dest);
    EXPECT_EQ(run.result, wizardDoneText);
    EXPECT_EQ(readFile(dest + "readme.txt"), "readme");
    EXPECT_EQ(readFile(dest + "mine.txt"), "mine");
    SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(BadInput, AFullDriveInTheMiddleOfACopyLeavesNoCutFileAndSaysSo)
{
    SmallDrive drive;
    if (!drive.mounted())
        GTEST_SKIP() << "no small filesystem can be mounted here (mounting needs root)";
    std::string big(30 * 1024 * 1024, 'b');
    // big3.bin of an earlier installation: the copy that cannot replace it leaves it whole
    CreateDirectoryA("T:\\Korval", nullptr);
    writeFile("T:\\Korval\\big3.bin", "installed");
    InstallRun run = installWith("drive-full",
                                 "[Install]\r\n1=readme.txt\r\n2=big.bin\r\n3=big.bin,big2.bin\r\n4=big.bin,big3.bin\r\n"
                                 "5=説明.txt\r\n",
                                 "T:\\Korval\\", [&](const std::string& dist) { writeFile(dist + "big.bin", big); });
    // the free-space question (50 MiB) was answered Yes
    ASSERT_GE(run.messages.size(), 1u);
    EXPECT_NE(run.messages[0].button(IDYES), nullptr);
    EXPECT_EQ(run.result, wizardFailedText);
    EXPECT_EQ(readFile(run.dest + "readme.txt"), "readme");
    EXPECT_EQ(readFile(run.dest + "big.bin").size(), big.size());
    EXPECT_TRUE(readFile(run.dest + "big3.bin") == "installed") << fileSize(run.dest + "big3.bin") << " bytes";
    // the copies that did not fit leave no file that looks installed, nor anything unfinished,
    // and the space they took is free again: the entries after them still install
    EXPECT_EQ(readFile(run.dest + "説明.txt"), "setsumei");
    EXPECT_EQ(namesInFolder(run.dest),
              (std::vector<std::string> { "SETUP.EXE", "SETUP.inf", "big.bin", "big3.bin", "readme.txt", "説明.txt" }));
    EXPECT_EQ(run.messages.size(), 1u);
}

TEST(BadInput, TargetsThatNameALevelTwiceOrLeaveItGetTheLevelMessages)
{
    // as with the levels walked before the copy: the destination itself, named with a
    // second backslash, and a plain file data where data\..\ passes through a folder
    std::string dest = scratchFolder("odd-levels-dest");
    writeFile(dest + "data", "a file");
    InstallRun run = installWith("odd-levels", "[Install]\r\n1=readme.txt,\\readme.txt\r\n2=readme.txt,data\\..\\again.txt\r\n",
                                 dest);
    EXPECT_EQ(run.result, wizardFailedText);
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_EQ(run.messages[0].text, dest + " のフォルダ作成に失敗しました。") << hexBytes(run.messages[0].text);
    EXPECT_EQ(run.messages[1].text, dest + "data - 同じ名前のファイルが既に存在するのでフォルダが作成できません。");
    EXPECT_EQ(namesInFolder(dest), (std::vector<std::string> { "SETUP.EXE", "SETUP.inf", "data" }));
}

// A reinstall of 40 files of 1 MiB over older ones of 512 KiB, and every other time a first
// install into an empty folder, the process killed outright (as by the task manager) as soon
// as a given file has arrived, while the next is under way.
TEST(BadInput, AReinstallKilledAtAnyMomentLeavesEveryFileOldOrNewAndNothingElse)
{
    setPreviousInstall("");
    const int files = 40;
    auto name = [](int i) { return "f" + std::to_string(i) + ".bin"; };
    std::string manifest = "[Install]\r\n";
    std::vector<std::string> owned = { "SETUP.EXE", "SETUP.inf" };
    for (int i = 1; i <= files; ++i) {
        manifest += std::to_string(i) + "=" + name(i) + "\r\n";
        owned.push_back(name(i));
    }
    std::sort(owned.begin(), owned.end());
    std::string dist = stageSetup("killed", manifest);
    const std::string newer(1 << 20, 'n'), older(512 << 10, 'o');
    for (int i = 1; i <= files; ++i)
        writeFile(dist + name(i), newer);
    std::string dest = scratchFolder("killed-dest");
    for (int arrived = 1; arrived < files; arrived += 7) {
        bool first = arrived % 2 == 0;      // a first install: no file there before
        SCOPED_TRACE((first ? "first install killed after " : "reinstall killed after ") + name(arrived));
        for (int i = 1; i <= files; ++i)
            first ? (void)DeleteFileA((dest + name(i)).c_str()) : writeFile(dest + name(i), older);
        WizardSession run(dist);
        ASSERT_TRUE(run.toProgressPage(dest, 0, 0));
        for (DWORD start = GetTickCount(); readFile(dest + name(arrived)) != newer && GetTickCount() - start < 20000;)
            Sleep(1);
        TerminateProcess(run.process.info.hProcess, 9);
        run.process.wait();
        // what the killed process held open closes after it; then nothing foreign is left, in a
        // reinstall nothing is missing, and in a first install every file there is whole
        auto settled = [&](const std::vector<std::string>& names) {
            if (!first)
                return names == owned;
            for (const std::string& n : names)
                if (!std::binary_search(owned.begin(), owned.end(), n) || (n[0] == 'f' && readFile(dest + n) != newer))
                    return false;
            return true;
        };
        std::vector<std::string> names;
        for (DWORD start = GetTickCount(); !settled(names = namesInFolder(dest)) && GetTickCount() - start < 5000;)
            Sleep(10);
        EXPECT_TRUE(settled(names)) << ::testing::PrintToString(names);
        for (int i = 1; i <= files; ++i) {
            std::string content = readFile(dest + name(i));
            EXPECT_TRUE(content == newer || (first ? fileSize(dest + name(i)) < 0 : content == older))
                << name(i) << ": " << content.size() << " bytes";
        }
    }
}
