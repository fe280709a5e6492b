// The wizard's last page: the install steps, run from self-posted commands so that the
// message loop runs between files, the result sentence, and the product's start on Finish.
#include "wizard/wizard.h"

#include "app/state.h"
#include "app/texts.h"
#include "manifest/entries.h"
#include "res/resource.h"
#include "shortcuts/shortcuts.h"
#include "util/file_stamp.h"
#include "util/folders.h"
#include "util/log.h"
#include "util/text.h"
#include "util/whole_copy.h"

#include <commctrl.h>
#include <shellapi.h>
#include <string.h>

enum { STEP_TIMER = 1, STEP_COMMAND = 1, BAR_INTERVAL_MS = 50, STEP_BATCH_MS = 15 };

// the source is relative to the current directory, the setup program's folder; without a
// window there is nothing to answer while a large file is copied, and a copying thread
// may have made the copy already
static int copyEntryFile()
{
    if (!setup.unattended)
        return copyEntryAnswering(setup.entryValue, setup.entryTarget);
    int prepared = finishCopyAhead();
    return prepared >= 0 ? prepared : copyFileWhole(setup.entryValue, setup.entryTarget);
}

// The folder levels of the relative part, each made when missing; the text after the last
// backslash is the file. A level that is a plain file, or cannot be made, gets its message.
static int makeTargetFolders()
{
    for (char* separator = findChar(setup.targetTail, '\\'); separator;
         separator = findChar(setup.targetTail, '\\')) {
        setup.targetTail = separator + 1;
        char saved = *setup.targetTail;
        *setup.targetTail = 0;
        int made = makeFolderLevel(setup.entryTarget);
        *setup.targetTail = saved;
        if (!made)
            return 0;
    }
    return 1;
}

// A leading or doubled backslash, or "..", in the relative part: the path a copy opens leaves
// out a level that the walk visits (and reports, as a folder that cannot be made or a plain
// file in the way), so such a target is walked before its copy. They are rare; a trail byte
// 0x5C before a backslash, taken here for a second one, only costs that walk.
static bool walkedFirst(const char* relative)
{
    return relative[0] == '\\' || strstr(relative, "\\\\") || strstr(relative, "..");
}

int installOneEntry()
{
    // a value or target too long for a path leaves no target: nothing is done in a cut name
    if (setup.entryTarget[0] == 0)
        return 0;
    if (setup.entryValue[0] == 0)
        return removeFile(setup.entryTarget);

    // The copy is tried first: its target's folder is there for nearly every entry, and
    // walking the levels (a look at each) cost as much as copying a small file. Only when
    // the copy fails are the levels walked and the copy tried again, so a missing level is
    // made and a level that is a plain file gets its message, as before any copy. A target
    // whose levels the copy would pass over unseen has them walked first. A read-only file
    // already there is replaced by the copy itself.
    if (!walkedFirst(setup.targetTail) && copyEntryFile())
        return 1;
    if (setup.installCancelled || !makeTargetFolders())
        return 0;
    return copyEntryFile();
}

// Unattended: install entry number goes to a copying thread when it is a file's copy that
// may be made before the entries ahead of it are done: its target is walked as usual, and
// its source lies in the setup program's folder (a source elsewhere might be a target).
// The entry is left loaded.
static void askNextCopy(int number)
{
    if (number <= setup.installCount && loadInstallEntry(number) && setup.entryValue[0] && setup.entryTarget[0] &&
        !walkedFirst(setup.targetTail) && !walkedFirst(setup.entryValue) && !findChar(setup.entryValue, ':'))
        askCopyAhead(number, setup.entryValue, setup.entryTarget);
}

static void postStepCommand()
{
    PostMessageA(setup.activeDialog, WM_COMMAND, STEP_COMMAND, 0);
}

// The bar redraws itself at once each time it moves, which costs more than copying a small
// file: it is moved to the number of steps done at most every 50 ms, and after the last step.
static void moveBar(HWND bar, bool lastStep)
{
    DWORD now = GetTickCount();
    if (!lastStep && now - setup.barMovedAt < BAR_INTERVAL_MS)
        return;
    setup.barMovedAt = now;
    SendMessageA(bar, PBM_SETPOS, (WPARAM)setup.stepIndex, 0);     // held at its maximum
}

// One step: 0 sets the bar's range and makes the destination, then one per install entry
// (the program and its manifest first), and last the shortcuts.
static void runStep(HWND bar, int step, int last)
{
    if (step == 0) {
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, last));
        makeFolderPath(setup.destDir);
    } else if (step <= setup.installCount + 2) {
        if (setup.unattended) {
            takeCopyAhead(step - 2);
            askNextCopy(step);
        }
        loadInstallEntry(step - 2);
        int ok = installOneEntry();
        // a deletion entry's line comes from removeFile
        if (setup.entryValue[0] != 0)
            logResult(ok, logCopyWord, setup.entryValue, logArrow, setup.entryTarget);
        if (!ok)
            setup.installFailed = 1;
    } else {
        if (setup.wantStartMenu)
            manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
        if (setup.wantDesktop)
            manageShortcuts(SHORTCUT_DESKTOP, 0, nullptr);
    }
}

// The sentence that ends the installation, also written to the log.
static const char* resultSentence()
{
    const char* sentence = setup.installFailed ? installFailedSentence : installDoneSentence;
    logLine(sentence);
    return sentence;
}

void installStep()
{
    int last = setup.installCount + 3;
    // the sequence has ended, or was cancelled, or a step is running and letting messages
    // through: a stray command does nothing, so that no step overlaps another or runs twice
    if (setup.stepIndex > last || setup.installCancelled || setup.stepRunning)
        return;
    setup.stepRunning = 1;
    HWND bar = GetDlgItem(setup.activeDialog, IDC_PROGRESS_BAR);
    // Steps follow each other for up to 15 ms before the message loop has its turn: a round
    // trip through the loop for every small file cost a tenth of the install, and the window
    // still answers within a few tens of milliseconds. The first step runs alone, so that the
    // bar shows its range at once.
    DWORD began = GetTickCount();
    do {
        runStep(bar, setup.stepIndex, last);
        setup.stepIndex++;
    } while (setup.stepIndex > 1 && setup.stepIndex <= last && !setup.installCancelled &&
             GetTickCount() - began < STEP_BATCH_MS);
    setup.stepRunning = 0;
    if (setup.installCancelled)
        return;                     // the wizard is closing: no further step
    if (setup.stepIndex > last) {
        // hidden first, so that its last move to the end costs no drawing
        ShowWindow(bar, SW_HIDE);
        moveBar(bar, true);
        SetDlgItemTextA(setup.activeDialog, IDC_PROGRESS_TEXT, resultSentence());
        PostMessageA(setup.sheetWindow, PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
    } else {
        moveBar(bar, false);
        postStepCommand();
    }
}

// Starts install entry 1 of the destination (or the destination itself without one) with
// "-Inst", unless /LAUNCH=0; it inherits the current directory, the setup program's folder.
// Unattended, only an existing file is started (no folder window), and the shell shows no
// message when the start fails.
static void startProduct(HWND page)
{
    loadInstallEntry(1);
    char path[PATH_SIZE];
    // a path that does not fit would name another file: nothing is started then
    if (setup.noLaunch || !textCopy(path, sizeof path, setup.destDir) ||
        !textAppend(path, sizeof path, setup.entryValue) || (setup.unattended && !fileStamp(path)))
        return;
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC | (setup.unattended ? SEE_MASK_FLAG_NO_UI : 0);
    start.hwnd = page;
    start.lpVerb = "open";
    start.lpFile = path;
    start.lpParameters = "-Inst";
    start.nShow = SW_SHOWNORMAL;
    logResult(ShellExecuteExA(&start), logStartWord, path, " -Inst");
}

// The destination and the choices, as the switches that would give them.
static void logChoices()
{
    char options[] = " /MENU=0 /DESKTOP=0 /LAUNCH=0";
    options[7] = (char)('0' + setup.wantStartMenu);     // the digits' positions in the text
    options[18] = (char)('0' + setup.wantDesktop);
    options[28] = (char)('0' + !setup.noLaunch);
    logLine(logDestinationWord, setup.destDir, options);
}

void installUnattended()
{
    recordShortcutChoice((setup.savedOptions & OPTION_START_MENU) != 0, (setup.savedOptions & OPTION_DESKTOP) != 0);
    logChoices();
    if (!checkDestination(nullptr)) {
        raiseExitCode(EXIT_DESTINATION_FAILED);
        return;
    }
    int last = setup.installCount + 3;
    runStep(nullptr, 0, last);
    startCopyAhead();
    for (int step = 1; step <= last; ++step)
        runStep(nullptr, step, last);
    endCopyAhead();
    resultSentence();
    // set, not raised: a deletion entry's failure raised the removal's code on its way
    setup.exitCode = setup.installFailed ? EXIT_ENTRIES_FAILED : EXIT_DONE;
    startProduct(nullptr);
}

static INT_PTR onNotify(HWND page, const NMHDR* note)
{
    switch (note->code) {
    case PSN_SETACTIVE:
        // no button until the last step has run; the frame's Cancel stays
        SendMessageA(setup.sheetWindow, PSM_SETWIZBUTTONS, 0, 0);
        SetTimer(page, STEP_TIMER, 300, nullptr);
        logChoices();
        keepSheetCaption(page);
        return 0;
    case PSN_WIZFINISH:
        startProduct(page);
        return 0;
    case PSN_RESET:
        // Cancel: a copy in progress ends, and no further step runs
        setup.installCancelled = 1;
        return 0;
    }
    return FALSE;
}

INT_PTR CALLBACK progressPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        setup.activeDialog = page;
        return TRUE;
    case WM_NOTIFY:
        return onNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
        KillTimer(page, STEP_TIMER);
        postStepCommand();
        return 0;
    case WM_COMMAND:
        if (wParam == STEP_COMMAND)
            installStep();
        return 0;
    case WM_KEEP_CAPTION:
        setSheetCaption();
        return TRUE;
    }
    return FALSE;       // everything else gets the sheet's default handling
}
