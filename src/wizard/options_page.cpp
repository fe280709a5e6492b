// The wizard's second page: the two shortcut choices, started from the previous
// installation's option number and recorded on Next. Next always goes on.
#include "install/install.h"
#include "wizard/wizard.h"

#include "app/state.h"
#include "res/resource.h"

#include <commctrl.h>

static void checkBoxesFromSavedOptions(HWND page)
{
    if (setup.savedOptions & OPTION_START_MENU)
        CheckDlgButton(page, IDC_START_MENU_BOX, BST_CHECKED);
    if (setup.savedOptions & OPTION_DESKTOP)
        CheckDlgButton(page, IDC_DESKTOP_BOX, BST_CHECKED);
}

static void recordChoice(HWND page)
{
    recordShortcutChoice(IsDlgButtonChecked(page, IDC_START_MENU_BOX) == BST_CHECKED,
                         IsDlgButtonChecked(page, IDC_DESKTOP_BOX) == BST_CHECKED);
}

static INT_PTR onNotify(HWND page, const NMHDR* note)
{
    switch (note->code) {
    case PSN_SETACTIVE:
        SendMessageA(setup.sheetWindow, PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
        keepSheetCaption(page);
        return 0;
    case PSN_WIZNEXT:
        recordChoice(page);
        return 0;
    }
    return FALSE;
}

INT_PTR CALLBACK optionsPageProc(HWND page, UINT msg, WPARAM, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        checkBoxesFromSavedOptions(page);
        return TRUE;
    case WM_NOTIFY:
        return onNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_KEEP_CAPTION:
        setSheetCaption();
        return TRUE;
    }
    return FALSE;       // everything else gets the sheet's default handling
}
