// Benchmark of SETUP.EXE against its baselines, measured in one run (inside the rig):
// install throughput through the real wizard and of the unattended install (/S) against a
// plain CopyFileA loop over the same files and (when makensis is there) an NSIS installer of
// the same files run silently, both installers from process start to end; the wizard's worst
// answer time while it installs; start-up to the destination page; the uninstall's leftover
// walk with "delete all" against a plain recursive delete. Medians of every run.
// Usage: wizardbench.exe [--runs N] [--smoke] [--nsis | --no-nsis REASON] [--only NAME]
//                        [--before OLD-SETUP.EXE]
// (--before: an earlier build of SETUP.EXE, measured in the same run beside the current one;
// --no-nsis: the peer is not measured, and the report says why). A contender that could not
// run is reported as such, and the exit value is then 1.
#include "scratch.h"
#include "setup_run.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

enum { DELETE_ALL_BUTTON = 1015 };

static double now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

static double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Workload {
    const char* name;
    int files;
    int folders;
    DWORD bytes;            // per file
};

// A distribution folder: SETUP.EXE, a manifest naming every file, the files in data\dirN\.
struct Distribution {
    std::string folder;
    std::vector<std::string> files;     // relative to folder
    double bytes;                       // of all the files
};

static void writeSized(const std::string& path, DWORD bytes, unsigned seed)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<unsigned> block(1 << 16);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = (unsigned)(i * 2654435761u) ^ seed;     // not zeros: no sparse files
    DWORD left = bytes;
    while (left > 0) {
        DWORD chunk = std::min<DWORD>(left, (DWORD)(block.size() * sizeof(unsigned)));
        DWORD written = 0;
        WriteFile(file, block.data(), chunk, &written, nullptr);
        left -= chunk;
    }
    CloseHandle(file);
}

static Distribution makeDistribution(const Workload& w, int manifestEntries)
{
    Distribution d;
    d.bytes = (double)w.files * w.bytes;
    std::string manifest = "[Install]\r\n";
    for (int i = 0; i < w.files; ++i) {
        char name[64];
        snprintf(name, sizeof name, "data\\dir%d\\f%04d.bin", i % w.folders, i);
        d.files.push_back(name);
        if (i < manifestEntries)
            manifest += std::to_string(i + 1) + "=" + name + "\r\n";
    }
    d.folder = stageSetup(std::string("bench-") + w.name, manifest);
    for (int i = 0; i < w.folders; ++i) {
        CreateDirectoryA((d.folder + "data").c_str(), nullptr);
        CreateDirectoryA((d.folder + "data\\dir" + std::to_string(i)).c_str(), nullptr);
    }
    for (size_t i = 0; i < d.files.size(); ++i)
        writeSized(d.folder + d.files[i], w.bytes, (unsigned)i);
    return d;
}

// Before each timed install, every contender is given the same start: the page cache's dirty
// pages of the previous install are written out, so that none pays for the writes of the one
// before it, and what the install reads (the distribution's files, or the NSIS installer) is
// read into the cache. This machine is a virtual one that hands memory freed for a second or
// more back to its host, and memory taken back is about three times slower to fill; so before
// a workload of 64 MB or more the benchmark waits 3 s, until the memory the previous install
// freed is gone for every contender alike. Without the wait, whichever contender followed a
// pause paid for it (a 512 MB install took 0.4 s or 2 s by turns).
static void settle(const std::string& reads, double bytes)
{
    runUnixScript("sync\nfind '" + unixPathOf(reads) + "' -type f -exec cat {} + >/dev/null\n" +
                      (bytes >= 64.0 * 1024 * 1024 ? "sleep 3\n" : ""),
                  nullptr, 120000);
}

// The floor: the same files copied by a plain loop, folders made as they come.
static double copyLoop(const Distribution& d, const std::string& dest)
{
    deleteTree(dest);
    settle(d.folder + "data", d.bytes);
    double start = now();
    CreateDirectoryA(dest.c_str(), nullptr);
    CopyFileA((d.folder + "SETUP.EXE").c_str(), (dest + "SETUP.EXE").c_str(), FALSE);
    CopyFileA((d.folder + "SETUP.inf").c_str(), (dest + "SETUP.inf").c_str(), FALSE);
    std::string madeFolder;
    for (const std::string& file : d.files) {
        std::string folder = file.substr(0, file.rfind('\\'));
        if (folder != madeFolder) {
            CreateDirectoryA((dest + "data").c_str(), nullptr);
            CreateDirectoryA((dest + folder).c_str(), nullptr);
            madeFolder = folder;
        }
        CopyFileA((d.folder + file).c_str(), (dest + file).c_str(), FALSE);
    }
    return now() - start;
}

struct WizardRun {
    bool ok = false;
    double startUp = 0;     // process start to the destination page on show
    double delay = 0;       // Next on the options page to the first step
    double install = 0;     // first step to the result sentence (Finish offered)
    double worstAnswer = 0; // longest wait for an answer while installing
    bool copiedAll = false;
};

// One install through the wizard; shortcuts off, so that the figure is the files'. With
// probe, the wizard is asked something every millisecond and the worst answer time is kept;
// without, it is only watched for Finish every 10 ms, so that the watching costs it little
// (every look at another process's window is a round trip through the Wine server it also
// uses, so watching slows what it watches: the probed runs show by how much). The end is
// then seen up to 10 ms late.
static WizardRun wizardInstall(const Distribution& d, const std::string& dest, int entries, bool probe,
                               const char* program = "SETUP.EXE")
{
    WizardRun run;
    deleteTree(dest);
    settle(d.folder + "data", d.bytes);
    SetupProcess process;
    double started = now();
    if (!startSetup(process, d.folder + program, "", d.folder))
        return run;
    WizardDriver wizard(process.pid());
    while (!(wizard.waitForFrame(0) && wizard.pageIndex() == 0 && IsWindowVisible(wizard.page()))) {
        if (now() - started > 20)
            return run;
        Sleep(1);
    }
    run.startUp = now() - started;
    wizard.typeIntoField(DEST_PATH, dest);
    if (!wizard.press(WIZ_NEXT) || !wizard.waitForPage(1))
        return run;
    wizard.setChecked(START_MENU_BOX, false);
    wizard.setChecked(DESKTOP_BOX, false);
    double next = now();
    if (!wizard.press(WIZ_NEXT))
        return run;
    // a message every millisecond or so: the first step sets the bar's range to the step
    // count (entries + 3), Finish comes with the result sentence; each answer's wait is timed
    HWND bar = nullptr, finish = GetDlgItem(wizard.frame(), WIZ_FINISH);
    double first = 0;
    for (;;) {
        if (now() - next > 600)
            return run;
        if (!bar) {
            HWND page = wizard.page();
            if (wizard.pageIndex() == 2)
                bar = GetDlgItem(page, PROGRESS_BAR);
            Sleep(1);
            continue;
        }
        double asked = now();
        if (!first || probe) {
            DWORD_PTR high = 0;
            SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_NORMAL, 60000, &high);
            double answered = now();
            if (first)
                run.worstAnswer = std::max(run.worstAnswer, answered - asked);
            else if (high == (DWORD_PTR)entries + 3)
                first = asked;
        }
        if (first && IsWindowVisible(finish) && IsWindowEnabled(finish))
            break;
        Sleep(first && !probe ? 10 : 1);
    }
    double done = now();
    run.delay = first - next;
    run.install = done - first;
    run.ok = wizard.controlText(PROGRESS_TEXT).find("\x8a\xae\x97\xb9") != std::string::npos;    // 完了
    run.copiedAll = true;
    for (const std::string& file : d.files)
        run.copiedAll = run.copiedAll && fileExists(dest + file);
    wizard.press(WIZ_CANCEL);       // leaves without starting the product
    process.wait(10000);
    return run;
}

// The peer's stub is built for the architecture of this benchmark, the one of the SETUP.EXE
// it measures: the x86 stub cannot run where only the x86_64 build can.
#ifdef _WIN64
static const char nsisTarget[] = "amd64-unicode";
#else
static const char nsisTarget[] = "x86-unicode";
#endif
static std::string nsisMissing = "not asked for (--nsis)";     // why the peer is not measured

// The peer: an installer made by makensis (SetCompress off) of the same files, run silently.
static std::string makeNsisInstaller(const Distribution& d, const Workload& w)
{
    std::string script = d.folder + "bench.nsi", installer = d.folder + "nsis-setup.exe";
    std::string text = std::string("Target ") + nsisTarget + "\nName bench\nOutFile \"" + unixPathOf(installer) +
                       "\"\nSetCompress off\nSilentInstall silent\nRequestExecutionLevel admin\n"
                       "InstallDir C:\\setuptests\\nsis-dest\nSection\nSetOutPath $INSTDIR\nFile \"" +
                       unixPathOf(d.folder + "SETUP.EXE") + "\"\nFile \"" + unixPathOf(d.folder + "SETUP.inf") + "\"\n";
    for (int i = 0; i < w.folders; ++i)
        text += "SetOutPath $INSTDIR\\data\\dir" + std::to_string(i) + "\nFile \"" +
                unixPathOf(d.folder + "data\\dir" + std::to_string(i)) + "/*.bin\"\n";
    text += "SectionEnd\n";
    writeFile(script, text);
    std::string output;
    if (runUnixScript("makensis -V1 '" + unixPathOf(script) + "'\n", &output, 600000) != 0 || !fileExists(installer)) {
        printf("  NSIS silent install: not measured: makensis failed: %s\n", output.c_str());
        return "";
    }
    printf("  NSIS peer: makensis with the %s stub\n", nsisTarget);
    return installer;
}

static double nsisInstall(const std::string& installer, const std::string& dest, double bytes)
{
    deleteTree(dest);
    settle(installer, bytes);
    std::string destNoSlash = dest.substr(0, dest.size() - 1);
    double start = now();
    DWORD code = runProcess("\"" + installer + "\" /S /D=" + destNoSlash, "", 600000);
    double took = now() - start;
    return code == 0 ? took : -1;
}

// The unattended install (/S), timed as NSIS's silent install is: process start to end.
static double unattendedInstall(const Distribution& d, const std::string& dest)
{
    deleteTree(dest);
    settle(d.folder + "data", d.bytes);
    double start = now();
    DWORD code = runProcess("\"" + d.folder + "SETUP.EXE\" /S /MENU=0 /DESKTOP=0 /LAUNCH=0 /D=" + dest, d.folder, 600000);
    double took = now() - start;
    bool copiedAll = code == 0;
    for (const std::string& file : d.files)
        copiedAll = copiedAll && fileExists(dest + file);
    return copiedAll ? took : -1;
}

static int missingContenders;      // contenders that could not run at all: the exit value is 1

// A contender's line, or that it could not run: never left out without a word.
static bool measured(const char* what, const std::vector<double>& values, int runs)
{
    if (!values.empty())
        return true;
    printf("  %-46s not measured: none of its %d runs succeeded\n", what, runs);
    ++missingContenders;
    return false;
}

static void row(const char* what, double value, double base, const char* baseName)
{
    if (base > 0)
        printf("  %-46s %9.3f s   %-10s %9.3f s   ratio %5.2f\n", what, value, baseName, base, value / base);
    else
        printf("  %-46s %9.3f s\n", what, value);
}

static std::string beforeSetup;     // --before: an earlier SETUP.EXE, run as SETUPOLD.EXE

static void benchInstall(const Workload& w, int runs, bool nsis, int manifestEntries)
{
    printf("\n== install: %d x %lu bytes in %d folders (%d manifest entries), medians of %d rounds ==\n", w.files,
           (unsigned long)w.bytes, w.folders, manifestEntries, runs);
    fflush(stdout);
    Distribution d = makeDistribution(w, manifestEntries);
    std::string installer = nsis ? makeNsisInstaller(d, w) : "";
    if (!nsis)
        printf("  NSIS silent install: not measured: %s\n", nsisMissing.c_str());
    else if (installer.empty())
        ++missingContenders;
    // the earlier build is run under another name beside the same manifest (SETUPOLD.inf),
    // and so is the current one (SETUPNEW): under Wine 8 a process named SETUP.EXE was seen
    // to copy a large file 2 to 3 times slower than the same program under another name
    if (!beforeSetup.empty()) {
        CopyFileA(beforeSetup.c_str(), (d.folder + "SETUPOLD.EXE").c_str(), FALSE);
        CopyFileA((d.folder + "SETUP.inf").c_str(), (d.folder + "SETUPOLD.inf").c_str(), FALSE);
        CopyFileA((d.folder + "SETUP.EXE").c_str(), (d.folder + "SETUPNEW.EXE").c_str(), FALSE);
        CopyFileA((d.folder + "SETUP.inf").c_str(), (d.folder + "SETUPNEW.inf").c_str(), FALSE);
    }
    std::string dest = "C:\\setuptests\\bench-dest\\";
    std::vector<double> startUp, delay, install, worst, floor, peer, oldStartUp, oldInstall, oldWorst, renamed;
    std::vector<double> probedInstall, oldProbedInstall, silent;
    int failures = 0;
    // the contenders take turns at going first, so that none always follows the same one
    auto current = [&] {
        WizardRun run = wizardInstall(d, dest, manifestEntries, false);
        if (!run.ok || !run.copiedAll) {
            ++failures;
            return;
        }
        startUp.push_back(run.startUp);
        delay.push_back(run.delay);
        install.push_back(run.install);
    };
    // the answer times come from runs of their own, since asking costs the wizard time
    auto probed = [&] {
        WizardRun run = wizardInstall(d, dest, manifestEntries, true);
        if (!run.ok || !run.copiedAll) {
            ++failures;
            return;
        }
        worst.push_back(run.worstAnswer);
        probedInstall.push_back(run.install);
        if (beforeSetup.empty())
            return;
        WizardRun old = wizardInstall(d, dest, manifestEntries, true, "SETUPOLD.EXE");
        if (old.ok && old.copiedAll) {
            oldWorst.push_back(old.worstAnswer);
            oldProbedInstall.push_back(old.install);
        }
    };
    auto loop = [&] { floor.push_back(copyLoop(d, dest)); };
    auto unattended = [&] {
        double t = unattendedInstall(d, dest);
        if (t < 0)
            ++failures;
        else
            silent.push_back(t);
    };
    auto earlier = [&] {
        if (beforeSetup.empty())
            return;
        WizardRun old = wizardInstall(d, dest, manifestEntries, false, "SETUPOLD.EXE");
        if (!old.ok || !old.copiedAll) {
            printf("  earlier build: run failed\n");
            return;
        }
        oldStartUp.push_back(old.startUp);
        oldInstall.push_back(old.install);
    };
    auto nsisRun = [&] {
        if (installer.empty())
            return;
        double t = nsisInstall(installer, dest, d.bytes);
        if (t >= 0)
            peer.push_back(t);
        else
            ++failures;
    };
    auto currentRenamed = [&] {
        if (beforeSetup.empty())
            return;
        WizardRun run = wizardInstall(d, dest, manifestEntries, false, "SETUPNEW.EXE");
        if (run.ok && run.copiedAll)
            renamed.push_back(run.install);
    };
    std::function<void()> contenders[] = { current, loop, unattended, earlier, nsisRun, currentRenamed, probed };
    const int count = sizeof contenders / sizeof contenders[0];
    for (int r = 0; r < runs; ++r)
        for (int i = 0; i < count; ++i)
            contenders[(r + i) % count]();
    deleteTree(dest);
    if (failures)
        printf("  FAILED runs: %d\n", failures);
    missingContenders += failures;
    if (measured("wizard, first step to result sentence", install, runs))
        row("wizard, first step to result sentence", median(install), median(floor), "copy loop");
    if (measured("unattended /S (process start to end)", silent, runs))
        row("unattended /S (process start to end)", median(silent), median(floor), "copy loop");
    if (!installer.empty() && measured("NSIS silent install", peer, runs) && !silent.empty()) {
        row("NSIS silent install (process start to end)", median(peer), median(floor), "copy loop");
        row("unattended /S against NSIS silent", median(silent), median(peer), "NSIS /S");
    }
    if (!renamed.empty())
        row("same, run as SETUPNEW.EXE", median(renamed), median(floor), "copy loop");
    if (!oldInstall.empty())
        row("earlier build as SETUPOLD.EXE, same", median(oldInstall), median(floor), "copy loop");
    row("wizard, start delay (Next to first step)", median(delay), 0, "");
    row("wizard, worst answer time while installing", median(worst), 0, "");
    row("  (install time while asked every ms", median(probedInstall), median(floor), "copy loop)");
    if (!oldWorst.empty()) {
        row("earlier build, worst answer time", median(oldWorst), 0, "");
        row("  (install time while asked every ms", median(oldProbedInstall), median(floor), "copy loop)");
    }
    row("wizard, process start to destination page", median(startUp), 0, "");
    if (!oldStartUp.empty())
        row("earlier build, process start to destination page", median(oldStartUp), 0, "");
    fflush(stdout);
    deleteTree(d.folder);
}

// The uninstall run (mode x) over an installed folder of leftovers, answered with
// "delete all" at the first question, against a plain recursive delete.
static void benchUninstall(int files, int runs)
{
    printf("\n== uninstall: leftover walk over %d files with delete all, medians of %d rounds ==\n", files, runs);
    fflush(stdout);
    std::vector<std::string> names;
    for (int i = 0; i < files; ++i)
        names.push_back("data\\dir" + std::to_string(i % 10) + "\\f" + std::to_string(i) + ".txt");
    std::vector<double> walk, floor;
    int failures = 0;
    for (int r = 0; r < runs; ++r) {
        std::string installed = stageInstalled("bench-uninstall", "[Install]\r\n", names);
        UninstallDriver driver;
        driver.fallback = DELETE_ALL_BUTTON;
        DWORD code = 0;
        double start = now();
        UninstallResult result = runUninstallFrom(installed, driver, &code);
        double took = now() - start;
        if (!result.shown || folderExists(installed)) {
            ++failures;
            continue;
        }
        walk.push_back(took);
        installed = stageInstalled("bench-uninstall", "[Install]\r\n", names);
        start = now();
        deleteTree(installed);
        floor.push_back(now() - start);
    }
    if (failures)
        printf("  FAILED runs: %d\n", failures);
    missingContenders += failures;
    if (measured("uninstall run, process start to result", walk, runs))
        row("uninstall run, process start to result", median(walk), median(floor), "rm tree");
    printf("  (the uninstall figure includes its process start and its 300 ms start delay)\n");
    fflush(stdout);
}

int main(int argc, char** argv)
{
    int runs = 5;
    bool smoke = false, nsis = false;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--smoke"))
            smoke = true;
        else if (!strcmp(argv[i], "--nsis"))
            nsis = true;
        else if (!strcmp(argv[i], "--no-nsis") && i + 1 < argc)
            nsisMissing = argv[++i];
        else if (!strcmp(argv[i], "--only") && i + 1 < argc)
            only = argv[++i];
        else if (!strcmp(argv[i], "--before") && i + 1 < argc)
            beforeSetup = argv[++i];
    }
    setPreviousInstall("");
    if (smoke) {
        // a quick check that every measurement still runs: small sizes, one run
        benchInstall({ "small", 50, 10, 4096 }, 1, nsis, 50);
        benchInstall({ "large", 2, 1, 1 << 20 }, 1, nsis, 2);
        benchUninstall(50, 1);
        return missingContenders ? 1 : 0;
    }
    const Workload workloads[] = { { "small", 1000, 10, 4096 }, { "large", 8, 1, 32u << 20 },
                                   { "huge", 1, 1, 512u << 20 } };
    for (const Workload& w : workloads)
        if (only.empty() || only == w.name)
            benchInstall(w, runs, nsis, w.files);
    if (only.empty() || only == "small100")
        benchInstall({ "small100", 100, 10, 4096 }, runs, nsis, 100);
    if (only.empty() || only == "uninstall")
        benchUninstall(1000, runs);
    return missingContenders ? 1 : 0;
}
