// The wizard's first page: the destination folder, its checks on Next (install/install.h:
// drive form, test creation, free space) and the folder picker. It also sets up the frame.
#include "wizard/wizard.h"

#include "app/state.h"
#include "app/texts.h"
#include "install/install.h"
#include "res/resource.h"
#include "util/message.h"
#include "util/system_names.h"
#include "util/text.h"
#include "util/window.h"

#include <commctrl.h>
#include <shlobj.h>
#include <string.h>

static int browseForFolder(char* text);

static void onCreate(HWND page)
{
    setup.sheetWindow = GetParent(page);
    centerWindow(setup.sheetWindow);
    SendDlgItemMessageA(page, IDC_DEST_PATH, EM_LIMITTEXT, PATH_SIZE - 1, 0);
    char label[MESSAGE_SIZE];
    composeMessage(label, product.destinationLabel, destinationRequest);
    SetDlgItemTextA(page, IDC_DEST_LABEL, label);
    setSheetCaption();
}

// Reads the field into destDir. False, with destDir unchanged, for a text over 259 bytes:
// the field's limit counts characters where the control stores Unicode, so 259 double-byte
// characters (518 bytes) can be typed, and a read into destDir would cut the folder name.
static bool readDestinationField(HWND page)
{
    HWND field = GetDlgItem(page, IDC_DEST_PATH);
    // the length in bytes may be reported larger than the text, never smaller: the text
    // itself is measured before it is taken
    char text[2 * PATH_SIZE + 2];
    int length = GetWindowTextLengthA(field);
    if (length < 0 || length >= (int)sizeof text)
        return false;
    int read = GetWindowTextA(field, text, sizeof text);
    if (read < 0 || read > PATH_SIZE - 1)
        return false;
    text[read] = 0;
    return textCopy(setup.destDir, sizeof setup.destDir, text);
}

// The checks of Next, in order; true when the wizard may go on.
static bool acceptDestination(HWND page)
{
    return readDestinationField(page) ? checkDestination(page) : refuseDriveForm(page);
}

static void onBrowse(HWND page)
{
    char folder[PATH_SIZE];
    GetDlgItemTextA(page, IDC_DEST_PATH, folder, sizeof folder);
    if (browseForFolder(folder))
        SetDlgItemTextA(page, IDC_DEST_PATH, folder);
    // install sources are named relative to the current directory, whatever the picker did
    SetCurrentDirectoryA(setup.baseDir);
}

static INT_PTR onNotify(HWND page, const NMHDR* note)
{
    switch (note->code) {
    case PSN_SETACTIVE:
        PostMessageA(setup.sheetWindow, PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
        SetDlgItemTextA(page, IDC_DEST_PATH, setup.destDir);
        keepSheetCaption(page);
        return 0;
    case PSN_WIZNEXT:
        if (acceptDestination(page))
            return 0;
        SetWindowLongPtrA(page, DWLP_MSGRESULT, -1);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK destinationPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        onCreate(page);
        return TRUE;
    case WM_NOTIFY:
        return onNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        // every command returns 0; Browse is the page's only one
        if (LOWORD(wParam) == IDC_BROWSE)
            onBrowse(page);
        return 0;
    case WM_KEEP_CAPTION:
        setSheetCaption();
        return TRUE;
    }
    return FALSE;       // everything else gets the sheet's default handling
}

// The picker opens on the folder of the text it was given.
static int CALLBACK browseCallback(HWND picker, UINT event, LPARAM, LPARAM callerValue)
{
    if (event == BFFM_INITIALIZED)
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, callerValue);
    return 0;
}

// The folder picker, opened on the folder named by text (260 bytes). 1 with the chosen
// folder's path in text; 0 with text unchanged when nothing usable was chosen.
static int browseForFolder(char* text)
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)))
        return 0;
    char* chosen = static_cast<char*>(allocator->Alloc(PATH_SIZE));
    if (chosen == nullptr) {
        allocator->Release();
        return 0;
    }
    // the picker's newer style hosts shell views: it needs OLE on this thread
    HRESULT ole = OleInitialize(nullptr);

    BROWSEINFOA info = {};
    info.hwndOwner = setup.sheetWindow;
    info.pidlRoot = nullptr;
    info.pszDisplayName = chosen;
    info.lpszTitle = product.destinationLabel;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(text);
    int result = 0;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (item != nullptr) {
        // the folder's path as the system keeps it; where the code page cannot hold it, its
        // short form, and with neither the choice counts as no file-system folder
        WCHAR path[PATH_SIZE];
        if (SHGetPathFromIDListW(item, path) && ansiPath(path, chosen, PATH_SIZE))
            result = textCopy(text, PATH_SIZE, chosen) ? 1 : 0;
        allocator->Free(item);
    }

    if (SUCCEEDED(ole))
        OleUninitialize();
    allocator->Free(chosen);
    allocator->Release();
    return result;
}
