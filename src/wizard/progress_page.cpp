// The wizard's last page: the install steps, one per self-posted command so that the
// message loop runs between files, the result sentence, and the product's start on Finish.
#include "wizard/wizard.h"

#include "app/state.h"
#include "app/texts.h"
#include "manifest/entries.h"
#include "res/resource.h"
#include "shortcuts/shortcuts.h"
#include "util/folders.h"
#include "util/text.h"

#include <commctrl.h>
#include <shellapi.h>

enum { STEP_TIMER = 1, STEP_COMMAND = 1 };

int installOneEntry()
{
    // a value or target too long for a path leaves no target: nothing is done in a cut name
    if (setup.entryTarget[0] == 0)
        return 0;
    if (setup.entryValue[0] == 0)
        return removeFile(setup.entryTarget);

    // the folder levels of the relative part; the text after the last backslash is the file
    for (char* separator = findChar(setup.targetTail, '\\'); separator; separator = findChar(setup.targetTail, '\\')) {
        setup.targetTail = separator + 1;
        char saved = *setup.targetTail;
        *setup.targetTail = 0;
        int made = makeFolderLevel(setup.entryTarget);
        *setup.targetTail = saved;
        if (!made)
            return 0;
    }
    // a read-only file already there is overwritten
    SetFileAttributesA(setup.entryTarget, FILE_ATTRIBUTE_NORMAL);
    // the source is relative to the current directory, the setup program's folder
    return copyFileWhole(setup.entryValue, setup.entryTarget);
}

static void postStepCommand()
{
    PostMessageA(setup.activeDialog, WM_COMMAND, STEP_COMMAND, 0);
}

void installStep()
{
    int last = setup.installCount + 3;
    int step = setup.stepIndex;
    if (step > last)
        return;                     // the sequence has ended: a stray command does nothing
    HWND bar = GetDlgItem(setup.activeDialog, IDC_PROGRESS_BAR);
    if (step == 0) {
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, last));
        makeFolderPath(setup.destDir);
    } else if (step <= setup.installCount + 2) {
        loadInstallEntry(step - 2);
        if (!installOneEntry())
            setup.installFailed = 1;
    } else {
        if (setup.wantStartMenu)
            manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
        if (setup.wantDesktop)
            manageShortcuts(SHORTCUT_DESKTOP, 0, nullptr);
    }
    SendMessageA(bar, PBM_DELTAPOS, 1, 0);
    setup.stepIndex++;
    if (setup.stepIndex > last) {
        ShowWindow(bar, SW_HIDE);
        SetDlgItemTextA(setup.activeDialog, IDC_PROGRESS_TEXT,
                        setup.installFailed ? installFailedSentence : installDoneSentence);
        PostMessageA(setup.sheetWindow, PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
    } else {
        postStepCommand();
    }
}

// Starts install entry 1 of the destination (or the destination itself without one) with
// "-Inst"; it inherits the current directory, the setup program's folder.
static void startProduct(HWND page)
{
    loadInstallEntry(1);
    char path[PATH_SIZE];
    // a path that does not fit would name another file: nothing is started then
    if (!textCopy(path, sizeof path, setup.destDir) || !textAppend(path, sizeof path, setup.entryValue))
        return;
    ShellExecuteA(page, "open", path, "-Inst", nullptr, SW_SHOWNORMAL);
}

static INT_PTR onNotify(HWND page, const NMHDR* note)
{
    switch (note->code) {
    case PSN_SETACTIVE:
        // no button until the last step has run; the frame's Cancel stays
        SendMessageA(setup.sheetWindow, PSM_SETWIZBUTTONS, 0, 0);
        SetTimer(page, STEP_TIMER, 300, nullptr);
        keepSheetCaption(page);
        return 0;
    case PSN_WIZFINISH:
        startProduct(page);
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
