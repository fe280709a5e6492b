// SETUP.EXE run as a deployment tool runs it: switches on the command line, no window at any
// time, an exit code that says what happened, and the log; the removal from the Uninstall
// key's own command with the switch appended.
#include "scratch.h"
#include "setup_run.h"
#include "test_guard.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>

static const char manifest[] = "[Install]\r\n1=Rovenda.exe\r\n2=doc\\読んでね.txt\r\n[Group]\r\n1=Rovenda,Rovenda.exe\r\n";
// a new folder with a Japanese name (表 ends in the byte 0x5C) and blanks
static const char destinationName[] = "ロヴェンダ 表 導入先\\";

class Unattended : public ProductSurroundings {
protected:
    // A distribution whose product is the recorder, which notes how it was started.
    std::string stageDistribution(const std::string& name, const std::string& moreEntries = "")
    {
        std::string text = manifest;
        text.insert(text.find("[Group]"), moreEntries);
        dist = stageSetup(name, text);
        CopyFileA(builtRecorderPath().c_str(), (dist + "Rovenda.exe").c_str(), FALSE);
        writeFileMakingFolders(dist + "doc\\読んでね.txt", "はじめに");
        setup = "\"" + dist + "SETUP.EXE\" ";
        return dist;
    }

    // Runs a command line as a deployment tool does and waits for its end, watching the whole
    // time for a window of any process it starts; the exit code. A run with /LOG= that stops
    // making progress (its log stands still) fails in seconds.
    DWORD runAsTool(const std::string& commandLine)
    {
        WindowWatch watch;
        size_t at = commandLine.find("/LOG=");
        std::string log = at == std::string::npos ? "" : commandLine.substr(at + 5, commandLine.find(" /", at) - at - 5);
        DWORD code = runProcess(commandLine, "C:\\", 60000, log);
        for (const std::string& window : watch.seen())
            if (window.find(standInClass) == std::string::npos)     // the running product's own
                ADD_FAILURE() << "a window was shown: " << window << "\n  while running: " << commandLine;
        return code;
    }

    // Installs the distribution into dest and puts the Uninstall entry's command beside it.
    void installWithEntry(const std::string& dest)
    {
        ASSERT_EQ(runAsTool(setup + "/S /LAUNCH=0 /D=" + dest), 0u);
        setPreviousInstall(removal = "\"" + dest + "SETUP.EXE\" /r6");
    }

    // The product as its user leaves it running: the stand-in from the installation, with a
    // window, closing when asked or (stay) refusing to.
    void startProduct(SetupProcess& product, const std::string& dest, bool stay)
    {
        DeleteFileA((dest + "recorder-close.log").c_str());
        ASSERT_TRUE(startSetup(product, dest + "Rovenda.exe", stay ? "-window -stay" : "-window", dest));
        Waiting waiting("the product's window");
        for (DWORD start = GetTickCount(); !FindWindowA(standInClass, nullptr); Sleep(10))
            ASSERT_LT(GetTickCount() - start, 20000u);
    }

    // What the installation is to its user: its files (by their bytes' hash), its keys, its
    // shortcuts; the stand-in's own records of how it was started and asked aside.
    std::string installationState(const std::string& dest)
    {
        std::string state;
        for (const std::string& folder : { "", "doc\\" })
            for (const std::string& name : namesInFolder(dest + folder))
                if (name.compare(0, 8, "recorder") != 0)
                    state += folder + name + "=" + std::to_string(std::hash<std::string>()(readFile(dest + folder + name))) + "\n";
        return state + std::to_string(fileExists(desktopLink)) + std::to_string(fileExists(groupLink)) +
               std::to_string(machineKeyExists(uninstallKeyPath)) +
               std::to_string(registryKeyExists(HKEY_CURRENT_USER, "Software\\KORVAL"));
    }

    static constexpr const char* standInClass = "RovendaStandIn";
    std::string dist, setup, removal;
    const std::string desktopLink = shellFolder("Desktop") + "\\Rovenda.lnk";
    const std::string groupLink = shellFolder("Programs") + "\\KorvalDesk\\Rovenda.lnk";
};

// The log's lines without their times, each of which must begin with its date and time to the
// millisecond and end in CR LF.
static std::vector<std::string> logLines(const std::string& path)
{
    std::string text = readFile(path);
    std::vector<std::string> lines;
    const std::string form = "0000-00-00 00:00:00.000 ";
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        std::string line = text.substr(at, end - at);
        bool timed = end != std::string::npos && line.size() > form.size();
        for (size_t i = 0; timed && i < form.size(); ++i)
            timed = form[i] == '0' ? isdigit((unsigned char)line[i]) != 0 : line[i] == form[i];
        EXPECT_TRUE(timed) << "a line without its time or CR LF: " << line;
        lines.push_back(line.substr(std::min(line.size(), form.size())));
    }
    return lines;
}

static ::testing::AssertionResult hasLine(const std::vector<std::string>& lines, const std::string& text)
{
    std::string all;
    for (const std::string& line : lines)
        all += "\n  " + line;
    if (all.find(text) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no line holds " << text << " [" << hexBytes(text) << "]" << all;
}

TEST_F(Unattended, InstallsWithTheChosenShortcutsIntoAJapaneseFolderWithBlanksShowingNoWindow)
{
    stageDistribution("unattended-install");
    std::string dest = scratchFolder("unattended-install-dest") + destinationName;
    std::string log = dist + "setup.log";
    ASSERT_EQ(runAsTool(setup + "/S /LOG=" + log + " /D=" + dest.substr(0, dest.size() - 1) + "  "), 0u);
    EXPECT_TRUE(fileExists(dest + "SETUP.EXE"));
    EXPECT_EQ(readFile(dest + "doc\\読んでね.txt"), "はじめに");
    EXPECT_TRUE(linkIs(groupLink, dest + "Rovenda.exe", "", dest));
    EXPECT_TRUE(linkIs(desktopLink, dest + "Rovenda.exe", "", dest));
    std::string commandLine, directory;
    ASSERT_TRUE(readRecorderLog(dest, &commandLine, &directory));
    EXPECT_EQ(commandLine.substr(commandLine.size() - 6), " -Inst") << commandLine;

    std::vector<std::string> lines = logLines(log);
    EXPECT_TRUE(hasLine(lines, "コマンドライン: " + setup + "/S /LOG="));
    EXPECT_TRUE(hasLine(lines, "インストール先: " + dest.substr(0, dest.size() - 1) + " /MENU=1 /DESKTOP=1 /LAUNCH=1"));
    EXPECT_TRUE(hasLine(lines, "コピー doc\\読んでね.txt → " + dest + "doc\\読んでね.txt: 成功"));
    EXPECT_TRUE(hasLine(lines, "ショートカット " + desktopLink + ": 成功"));
    EXPECT_TRUE(hasLine(lines, "起動 " + dest + "Rovenda.exe -Inst: 成功"));
    EXPECT_EQ(lines.back(), "終了コード 0");

    // without a destination or options: the previous installation's folder and option number
    // (4: the desktop only), as the wizard proposes them
    removeProductShortcuts();
    std::string previous = scratchFolder("unattended-install-previous");
    setPreviousInstall("\"" + previous + "SETUP.EXE\" /r4");
    ASSERT_EQ(runAsTool(setup + "/S /LAUNCH=0"), 0u);
    EXPECT_TRUE(fileExists(previous + "Rovenda.exe"));
    EXPECT_TRUE(fileExists(desktopLink));
    EXPECT_FALSE(fileExists(groupLink));
    EXPECT_FALSE(fileExists(previous + "recorder.log"));

    // neither shortcut, the whole destination switch in quotes as tools write it
    removeProductShortcuts();
    dest = scratchFolder("unattended-install-none") + destinationName;
    ASSERT_EQ(runAsTool(setup + "/S /MENU=0 /DESKTOP=0 /LAUNCH=0 \"/D=" + dest + "\""), 0u);
    EXPECT_TRUE(fileExists(dest + "Rovenda.exe"));
    EXPECT_FALSE(fileExists(desktopLink));
    EXPECT_FALSE(folderExists(shellFolder("Programs") + "\\KorvalDesk"));
}

TEST_F(Unattended, AFailureEndsWithItsCodeAndTheLogNamesTheFileAndTheError)
{
    stageDistribution("unattended-failures", "3=missing.txt\r\n4=held.txt\r\n5=,held.txt\r\n");
    writeFile(dist + "held.txt", "new");
    std::string log = dist + "setup.log";

    // a destination under a plain file cannot be made: nothing is made
    std::string blocked = scratchFolder("unattended-blocked");
    writeFile(blocked + "file", "");
    EXPECT_EQ(runAsTool(setup + "/S /LOG=" + log + " /D=" + blocked + "file\\Rovenda"), 4u);
    EXPECT_EQ(namesInFolder(blocked), std::vector<std::string> { "file" });
    std::vector<std::string> lines = logLines(log);
    EXPECT_TRUE(hasLine(lines, blocked + "file - 同じ名前のファイルが既に存在するのでフォルダが作成できません。 (エラー 183: "));
    EXPECT_EQ(lines.back(), "終了コード 4");

    // a source missing from the distribution and a target held open by another process, which
    // can be neither replaced nor deleted: the other entries are installed, the held file keeps
    // its content, no piece of a copy stays
    std::string dest = scratchFolder("unattended-failures-dest");
    writeFile(dest + "held.txt", "old");
    HANDLE held = CreateFileA((dest + "held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    DeleteFileA(log.c_str());
    EXPECT_EQ(runAsTool(setup + "/S /MENU=0 /DESKTOP=0 /LAUNCH=0 /LOG=" + log + " /D=" + dest), 5u);
    CloseHandle(held);
    EXPECT_EQ(readFile(dest + "held.txt"), "old");
    EXPECT_EQ(namesInFolder(dest), (std::vector<std::string> { "Rovenda.exe", "SETUP.EXE", "SETUP.inf", "doc", "held.txt" }));
    lines = logLines(log);
    EXPECT_TRUE(hasLine(lines, "コピー missing.txt → " + dest + "missing.txt: 失敗 (エラー 2: "));
    EXPECT_TRUE(hasLine(lines, "コピー held.txt → " + dest + "held.txt: 失敗 (エラー "));
    EXPECT_TRUE(hasLine(lines, dest + "held.txtの削除に失敗しました。このファイルをスキップして処理を続行します。 (エラー "));
    EXPECT_TRUE(hasLine(lines, "インストール中にエラーが発生しました。"));
    EXPECT_EQ(lines.back(), "終了コード 5");
}

TEST_F(Unattended, EntriesTakeEffectInTheirOrder)
{
    // the next entry is copied beside its target while the one before is finished: the same
    // target twice, a deletion before or after a copy, and a source that an entry before it
    // replaces (the destination lies inside the setup program's folder)
    stageDistribution("unattended-order", "3=a.txt,x.txt\r\n4=b.txt,x.txt\r\n5=,y.txt\r\n6=a.txt,y.txt\r\n"
                                          "7=b.txt,z.txt\r\n8=,z.txt\r\n9=a.txt,c.txt\r\n10=inner\\c.txt,d.txt\r\n");
    std::string inner = dist + "inner\\";
    writeFile(dist + "a.txt", "a");
    writeFile(dist + "b.txt", "b");
    // the destination named as it is, and by its short name: the same folder
    for (int spelling = 0; spelling < 2; ++spelling) {
        deleteTree(inner);
        writeFileMakingFolders(inner + "c.txt", "old c");
        writeFile(inner + "y.txt", "old y");
        std::string dest = spelling ? shortPathOf(widened(inner)) : inner;
        EXPECT_EQ(runAsTool(setup + "/S /MENU=0 /DESKTOP=0 /LAUNCH=0 /D=" + dest), 0u) << dest;
        EXPECT_EQ(readFile(inner + "x.txt") + readFile(inner + "y.txt") + readFile(inner + "d.txt"), "baa") << dest;
        EXPECT_EQ(namesInFolder(inner), (std::vector<std::string> { "Rovenda.exe", "SETUP.EXE", "SETUP.inf", "c.txt",
                                                                     "d.txt", "doc", "x.txt", "y.txt" }));
    }
}

TEST_F(Unattended, ANearlyFullDriveIsInstalledOntoAsTheQuestionsYesWould)
{
    SmallDrive drive;
    if (!drive.mounted())
        GTEST_SKIP() << "no small filesystem can be mounted here (mounting needs root)";
    stageDistribution("unattended-small-drive");
    std::string log = dist + "setup.log";
    EXPECT_EQ(runAsTool(setup + "/S /MENU=0 /DESKTOP=0 /LAUNCH=0 /LOG=" + log + " /D=T:\\Korval"), 0u);
    EXPECT_TRUE(fileExists("T:\\Korval\\Rovenda.exe"));
    // the question's two line breaks are blanks in its line
    EXPECT_TRUE(hasLine(logLines(log), "残り容量が 50メガバイトしかありません。  かまわずにインストールしますか？"));
}

TEST_F(Unattended, ADriveThatFillsWhileTheThreadsCopyAheadGetsNoCutFile)
{
    SmallDrive drive;
    if (!drive.mounted())
        GTEST_SKIP() << "no small filesystem can be mounted here (mounting needs root)";
    // the first two are copied beside their targets at once, 60 MiB on a drive of 50
    writeFileMakingFolders("T:\\Korval\\big3.bin", "installed");
    dist = stageSetup("unattended-fills", "[Install]\r\n1=big.bin\r\n2=big.bin,big2.bin\r\n3=big.bin,big3.bin\r\n");
    const std::string big(30 << 20, 'b');
    writeFile(dist + "big.bin", big);
    EXPECT_EQ(runAsTool("\"" + dist + "SETUP.EXE\" /S /LAUNCH=0 /D=T:\\Korval"), 5u);
    // which of them fit depends on which thread came first; each target is whole or as it was
    // (big3.bin's installed text, the others none), and no piece of a copy is left
    std::vector<std::string> names = { "SETUP.EXE", "SETUP.inf" };
    for (const std::string name : { "big.bin", "big2.bin", "big3.bin" }) {
        std::string content = readFile("T:\\Korval\\" + name);
        bool asItWas = name == "big3.bin" ? content == "installed" : fileSize("T:\\Korval\\" + name) < 0;
        EXPECT_TRUE(content == big || asItWas) << name << ": " << content.size() << " bytes";
        if (fileSize("T:\\Korval\\" + name) >= 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(namesInFolder("T:\\Korval\\"), names);
}

TEST_F(Unattended, AVolumeWithoutHardLinksGetsNewAndReinstalledFilesWholeAndNothingElse)
{
    SmallDrive drive(true);
    if (!drive.mounted())
        GTEST_SKIP() << "no FAT volume can be mounted here (needs root, /dev/fuse, fusefat and mkfs.vfat)";
    // the first file is reinstalled, the second is new, each renamed into place (the volume
    // takes no hard link, though under Wine no volume says it does); fusefat takes ASCII names only
    writeFileMakingFolders("T:\\Korval\\one.txt", "old");
    ASSERT_FALSE(CreateHardLinkA("T:\\Korval\\link.txt", "T:\\Korval\\one.txt", nullptr)) << "FAT took a hard link";
    dist = stageSetup("unattended-fat", "[Install]\r\n1=one.txt\r\n2=one.txt,doc\\two.txt\r\n");
    const std::string pieces(100 << 10, '1');
    writeFile(dist + "one.txt", pieces);
    EXPECT_EQ(runAsTool("\"" + dist + "SETUP.EXE\" /S /LAUNCH=0 /D=T:\\Korval"), 0u);
    EXPECT_TRUE(readFile("T:\\Korval\\one.txt") == pieces) << fileSize("T:\\Korval\\one.txt") << " bytes";
    EXPECT_TRUE(readFile("T:\\Korval\\doc\\two.txt") == pieces) << fileSize("T:\\Korval\\doc\\two.txt") << " bytes";
    EXPECT_EQ(namesInFolder("T:\\Korval\\"), (std::vector<std::string> { "SETUP.EXE", "SETUP.inf", "doc", "one.txt" }));
    EXPECT_EQ(namesInFolder("T:\\Korval\\doc\\"), (std::vector<std::string> { "two.txt" }));
}

TEST_F(Unattended, RemovalFromTheUninstallKeysCommandWaitsForItsCopyAndKeepsOnlyTheUsersFile)
{
    stageDistribution("unattended-removal");
    std::string dest = scratchFolder("unattended-removal-dest") + destinationName;
    std::string log = dist + "removal.log";
    installWithEntry(dest);
    setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL\\Rovenda", "call", "JA1XYZ");
    // the Uninstall entry's command, and the tool's switches after it
    EXPECT_EQ(runAsTool(removal + " /S /LOG=" + log), 0u);
    // the copy in the system directory has ended when the command does
    EXPECT_TRUE(testProcesses().empty());
    EXPECT_FALSE(folderExists(dest));
    EXPECT_FALSE(fileExists(desktopLink));
    EXPECT_FALSE(folderExists(shellFolder("Programs") + "\\KorvalDesk"));
    EXPECT_FALSE(machineKeyExists(uninstallKeyPath));
    EXPECT_FALSE(registryKeyExists(HKEY_CURRENT_USER, "Software\\KORVAL"));
    std::vector<std::string> lines = logLines(log);
    EXPECT_TRUE(hasLine(lines, "削除 " + dest + "Rovenda.exe: 成功"));
    EXPECT_TRUE(hasLine(lines, "削除 HKLM\\" + std::string(uninstallKeyPath) + ": 成功"));
    // the copy's deletion at restart arranged, its exit line, then the waiting program's
    EXPECT_TRUE(hasLine(lines, "再起動時に削除 "));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "終了コード 0");
    EXPECT_EQ(lines.back(), "終了コード 0");

    // again with a file of the user's own: it stays, with its folder, and the code says so
    installWithEntry(dest);
    writeFile(dest + "メモ.txt", "mine");
    DeleteFileA(log.c_str());
    EXPECT_EQ(runAsTool(removal + " /S /LOG=" + log), 6u);
    EXPECT_EQ(namesInFolder(dest), std::vector<std::string> { "メモ.txt" });
    EXPECT_FALSE(fileExists(desktopLink));
    EXPECT_FALSE(machineKeyExists(uninstallKeyPath));
    EXPECT_TRUE(hasLine(logLines(log), dest + "メモ.txt ←このファイルも削除していいですか？ いいえ (残します)"));
}

TEST_F(Unattended, RemovalStoppedByTheProductInUseCanBeRunAgainFromTheKey)
{
    stageDistribution("unattended-in-use");
    std::string dest = scratchFolder("unattended-in-use-dest") + "Korval\\";
    installWithEntry(dest);
    // the running product holds its program (open without write sharing) and a document: the
    // removal stops before it changes anything, and the same command runs once they are let go
    std::vector<HANDLE> held;
    for (const char* file : { "Rovenda.exe", "doc\\読んでね.txt" })
        held.push_back(CreateFileA((dest + file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    EXPECT_EQ(runAsTool(removal + " /S"), 8u);
    for (HANDLE file : held)
        CloseHandle(file);
    EXPECT_EQ(namesInFolder(dest), (std::vector<std::string> { "Rovenda.exe", "SETUP.EXE", "SETUP.inf", "doc" }));
    EXPECT_TRUE(machineKeyExists(uninstallKeyPath));
    EXPECT_EQ(runAsTool(removal + " /S"), 0u);
    EXPECT_FALSE(folderExists(dest));
}

TEST_F(Unattended, ABadCommandLineOrALogThatCannotBeMadeStopsBeforeAnythingChanges)
{
    stageDistribution("unattended-stop");
    std::string dest = scratchFolder("unattended-stop-dest") + "Rovenda";
    std::string nowhere = " /LOG=C:\\setuptests\\unattended-stop-nowhere\\setup.log";
    EXPECT_EQ(runAsTool(setup + "/S" + nowhere + " /D=" + dest), 3u);
    for (const char* line : { "/S /MENU=2 /D=", "/S /TYPO /D=", "/LOG=\"C:\\a /D=" })
        EXPECT_EQ(runAsTool(setup + line + dest), 2u) << line;
    EXPECT_FALSE(folderExists(dest));
    std::string installed = stageInstalled("unattended-stop-installed", manifest, { "Rovenda.exe" });
    std::string command = "\"" + installed + "SETUP.EXE\" /r6";
    EXPECT_EQ(runAsTool(command + " /S" + nowhere), 3u);
    EXPECT_EQ(runAsTool(command + " /S /D=C:\\Korval"), 2u);
    EXPECT_EQ(runAsTool(command + nowhere), 2u);      // the removal's switches need /S
    // /X= typed by hand, or a removal started from a folder that is not the one the Uninstall
    // key names (the distribution's): nothing is deleted, not even the keys
    setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL", "call", "JA1XYZ");
    setPreviousInstall(command);
    EXPECT_EQ(runAsTool(setup + "/S /DELETEALL /X=" + installed + "SETUP.EXE"), 2u);
    EXPECT_EQ(runAsTool(setup + "/r /S /DELETEALL"), 2u);
    EXPECT_TRUE(registryKeyExists(HKEY_CURRENT_USER, "Software\\KORVAL"));
    EXPECT_TRUE(machineKeyExists(uninstallKeyPath));
    EXPECT_EQ(namesInFolder(dist), (std::vector<std::string> { "Rovenda.exe", "SETUP.EXE", "SETUP.inf", "doc" }));
    EXPECT_EQ(namesInFolder(installed), (std::vector<std::string> { "Rovenda.exe", "SETUP.EXE", "SETUP.inf" }));
    EXPECT_FALSE(folderExists("C:\\setuptests\\unattended-stop-nowhere"));
}

// Lets process pid run, held in the smallest steps the system allows (stopped, let go and
// stopped again at once: a step is a call or two of the process), until log holds line; then
// ends it there with code, as a shutdown or a tool's timeout would at that moment.
static void killAfterLine(DWORD pid, const std::string& log, const char* line, UINT code)
{
    HANDLE process = OpenProcess(PROCESS_SUSPEND_RESUME | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(process, nullptr) << "process " << pid;
    typedef LONG(WINAPI * StepProc)(HANDLE);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    StepProc stop = reinterpret_cast<StepProc>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSuspendProcess")));
    StepProc go = reinterpret_cast<StepProc>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtResumeProcess")));
    Waiting waiting("process " + std::to_string(pid) + " to write a line with " + line);
    stop(process);
    for (DWORD start = GetTickCount(); readFile(log).find(line) == std::string::npos;) {
        ASSERT_EQ(WaitForSingleObject(process, 0), (DWORD)WAIT_TIMEOUT) << "it ended first:\n" << readFile(log);
        ASSERT_LT(GetTickCount() - start, 20000u) << readFile(log);
        go(process);
        stop(process);
    }
    TerminateProcess(process, code);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

static DWORD childOf(DWORD parent)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = { sizeof entry };
    DWORD child = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parent && lstrcmpiA(entry.szExeFile, "SETUP.EXE") == 0)
            child = entry.th32ProcessID;
    CloseHandle(snapshot);
    return child;
}

TEST_F(Unattended, ARemovalKilledAtAnyMomentIsFinishedByTheSameCommand)
{
    stageDistribution("unattended-killed");
    std::string dest = scratchFolder("unattended-killed-dest") + "Korval\\", log = dist + "removal.log";
    // the log line after which a process is stopped and killed: the first one (copying itself
    // into the system directory and waiting) or its copy there, which then ends as if crashed
    const struct { const char* line; bool copy; } moments[] = {
        { "コピー ", false }, { "再起動時に削除 ", true }, { "削除 HKCU", true }, { "Rovenda.exe: 成功", true },
        { "Rovenda.lnk: 成功", true }, { "削除 HKLM", true }, { "SETUP.inf: 成功", true }, { "起動 ", false },
        { "移動 ", true } };
    for (const auto& moment : moments) {
        SCOPED_TRACE(std::string(moment.copy ? "the copy killed after " : "the first process killed after ") + moment.line);
        installWithEntry(dest);
        setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL\\Rovenda", "call", "JA1XYZ");
        DeleteFileA(log.c_str());
        SetupProcess first;
        ASSERT_TRUE(startSetup(first, dest + "SETUP.EXE", "/r6 /S /LOG=" + log));
        if (moment.copy) {
            DWORD copy = 0;
            for (DWORD start = GetTickCount(); !(copy = childOf(first.pid())) && GetTickCount() - start < 20000;) {
            }
            ASSERT_NE(copy, 0u) << readFile(log);
            killAfterLine(copy, log, moment.line, &moment - moments & 1 ? 1 : 0xC0000005);  // its own code, or a crash's
            EXPECT_EQ(first.wait(), 9u);
        } else {
            killAfterLine(first.pid(), log, moment.line, 1);
        }
        for (DWORD start = GetTickCount(); !testProcesses().empty() && GetTickCount() - start < 20000;)
            Sleep(10);
        // the same command finishes what was left, unless the program it starts has gone: the
        // removal had then ended but for the empty folder, which goes at the next restart
        if (fileExists(dest + "SETUP.EXE"))
            EXPECT_EQ(runAsTool(removal + " /S /LOG=" + log), 0u);
        EXPECT_TRUE(namesInFolder(dest).empty());
        EXPECT_FALSE(fileExists(desktopLink));
        EXPECT_FALSE(folderExists(shellFolder("Programs") + "\\KorvalDesk"));
        EXPECT_FALSE(machineKeyExists(uninstallKeyPath));
        EXPECT_FALSE(registryKeyExists(HKEY_CURRENT_USER, "Software\\KORVAL"));
    }
}

TEST_F(Unattended, WhatARemovalLeavesGivesItsCodeWhileItsOwnLogInTheFolderIsNotCounted)
{
    stageDistribution("unattended-leaves");
    std::string dest = scratchFolder("unattended-leaves-dest") + "Korval\\", log = dest + "removal.log";
    // the run's own log in the installation folder is the tool's: it stays, with its folder
    installWithEntry(dest);
    EXPECT_EQ(runAsTool(removal + " /S /LOG=" + log), 0u);
    EXPECT_EQ(namesInFolder(dest), std::vector<std::string> { "removal.log" });
    // a read-only shortcut on the desktop and in the group folder: each has its line, and the
    // code says something is left (a key whose security denies deletion would too: Wine 8
    // deletes such a key all the same)
    installWithEntry(dest);
    for (const std::string& link : { desktopLink, groupLink })
        SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(runAsTool(removal + " /S /LOG=" + log), 7u);
    std::vector<std::string> lines = logLines(log);
    EXPECT_TRUE(hasLine(lines, "削除 " + desktopLink + ": 失敗"));
    EXPECT_TRUE(hasLine(lines, "削除 " + shellFolder("Programs") + "\\KorvalDesk: 失敗"));
    for (const std::string& link : { desktopLink, groupLink })
        SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The wizard writes the log too and shows what it always showed; the watch the tests above
// rely on sees its window.
TEST_F(Unattended, TheWizardWritesTheLogAndTheWindowWatchSeesIt)
{
    stageDistribution("unattended-wizard");
    std::string dest = scratchFolder("unattended-wizard-dest");
    std::string log = dist + "wizard.log";
    WindowWatch watch;
    WizardSession run(dist, "/LOG=" + log + " /LAUNCH=0");
    ASSERT_TRUE(run.toFinish(dest, 0, 0));
    EXPECT_TRUE(run.finish());
    EXPECT_FALSE(watch.seen().empty());
    EXPECT_FALSE(fileExists(dest + "recorder.log"));
    std::vector<std::string> lines = logLines(log);
    EXPECT_TRUE(hasLine(lines, "インストール先: " + dest + " /MENU=0 /DESKTOP=0 /LAUNCH=0"));
    EXPECT_TRUE(hasLine(lines, "コピー Rovenda.exe → " + dest + "Rovenda.exe: 成功"));
    EXPECT_EQ(lines.back(), "終了コード 1");
}

TEST_F(Unattended, AProductInUseStopsTheRunBeforeAnythingChangesUnlessItClosesWhenAsked)
{
    stageDistribution("unattended-running");
    std::string dest = scratchFolder("unattended-running-dest") + "Korval\\", log = dist + "running.log";
    installWithEntry(dest);
    setRegistryText(HKEY_CURRENT_USER, "Software\\KORVAL", "call", "JA1XYZ");
    std::string before = installationState(dest);
    // running, and not asked to close: the install and the removal end with 8, nothing changed
    {
        SetupProcess product;
        startProduct(product, dest, false);
        EXPECT_EQ(runAsTool(setup + "/S /LAUNCH=0 /LOG=" + log + " /D=" + dest), 8u);
        EXPECT_EQ(runAsTool(removal + " /S /LOG=" + log), 8u);
        EXPECT_EQ(installationState(dest), before);
        std::vector<std::string> lines = logLines(log);
        EXPECT_TRUE(hasLine(lines, "使用中 " + dest + "Rovenda.exe"));
        EXPECT_TRUE(hasLine(lines, "プロセス " + std::to_string(product.pid()) + ": " + dest + "Rovenda.exe"));
        // asked to close, it closes: one close request, and the install goes on
        EXPECT_EQ(runAsTool(setup + "/S /CLOSE /LAUNCH=0 /D=" + dest), 0u);
        EXPECT_EQ(product.wait(), 0u);
        EXPECT_EQ(readFile(dest + "recorder-close.log"), "close\n");
    }
    // asked to close, it refuses: 8 once the wait is out, nothing changed, still running
    SetupProcess product;
    startProduct(product, dest, true);
    before = installationState(dest);
    EXPECT_EQ(runAsTool(removal + " /S /CLOSE=1"), 8u);
    EXPECT_EQ(installationState(dest), before);
    EXPECT_EQ(WaitForSingleObject(product.info.hProcess, 0), (DWORD)WAIT_TIMEOUT);
    EXPECT_EQ(readFile(dest + "recorder-close.log"), "close\n");
}
