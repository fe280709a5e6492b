// The uninstall dialog: it runs the uninstall sequence once, 300 ms after it appears, and
// then shows the result and enables its close button.
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "res/resource.h"
#include "util/log.h"
#include "util/message.h"
#include "util/window.h"

enum { START_TIMER = 1, START_DELAY_MS = 300 };

static void onInitDialog(HWND dialog)
{
    setup.activeDialog = dialog;
    centerWindow(dialog);
    SetTimer(dialog, START_TIMER, START_DELAY_MS, nullptr);
    char caption[MESSAGE_SIZE];
    composeMessage(caption, product.messageCaption, removalCaptionTail);
    SetWindowTextA(dialog, caption);
}

void composeRemovalResult(char* text, int ok)
{
    if (ok)
        composeMessage(text, product.productName, removedTail);
    else
        composeMessage(text, setup.destDir, filesRemainTail);
    logLine(text);
}

static void onStartTimer(HWND dialog)
{
    KillTimer(dialog, START_TIMER);     // the sequence runs once
    SetForegroundWindow(dialog);
    char text[MESSAGE_SIZE];
    composeRemovalResult(text, removeInstallation());
    SetDlgItemTextA(dialog, IDC_UNINSTALL_TEXT, text);
    HWND close = GetDlgItem(dialog, IDCANCEL);
    EnableWindow(close, TRUE);
    SetFocus(close);
    SetForegroundWindow(dialog);
}

// Every message answers 0, WM_INITDIALOG included: the dialog manager sets no focus.
INT_PTR CALLBACK uninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(dialog);
        break;
    case WM_TIMER:
        onStartTimer(dialog);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 1);
        break;
    }
    return 0;
}
