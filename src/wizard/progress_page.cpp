// The wizard's last page: the install steps (install/install.h), run from self-posted
// commands so that the message loop runs between files, the result sentence, and the
// product's start on Finish.
#include "wizard/wizard.h"

#include "app/state.h"
#include "install/install.h"
#include "res/resource.h"

#include <commctrl.h>

enum { STEP_TIMER = 1, STEP_COMMAND = 1, BAR_INTERVAL_MS = 50, STEP_BATCH_MS = 15 };

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
