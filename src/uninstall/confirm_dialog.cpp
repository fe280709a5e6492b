// The question about one file of the folder walk: yes, delete all, no, cancel.
#include "uninstall/uninstall.h"

#include "res/resource.h"
#include "util/window.h"

INT_PTR CALLBACK confirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        centerWindow(dialog);
        SetDlgItemTextA(dialog, IDC_CONFIRM_TEXT, (const char*)lParam);
        SendDlgItemMessageA(dialog, IDC_CONFIRM_ICON, STM_SETICON, (WPARAM)LoadIconA(nullptr, IDI_QUESTION), 0);
        return TRUE;                // the focus starts on the first button, Yes
    case WM_COMMAND:
        EndDialog(dialog, LOWORD(wParam));  // the answer is the id of the button pressed
        return 0;
    }
    return 0;
}
