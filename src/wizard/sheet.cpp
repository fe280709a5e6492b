// The install wizard's sheet: three page records and the header, in the first layout of
// both records, shown modally. The pages set up everything else themselves.
#include "wizard/wizard.h"

#include "app/state.h"
#include "res/resource.h"
#include "util/system_dlls.h"

#include <commctrl.h>
#include <stddef.h>

// The first layout of the records: 40 bytes each in the 32-bit build. The sheet walks the
// page array by each record's own size, so the array is made of records of exactly that size.
static_assert(sizeof(PROPSHEETPAGEA_V1) == offsetof(PROPSHEETPAGEA, pcRefParent) + sizeof(UINT*),
              "page record in its first layout");

static void fillPage(PROPSHEETPAGEA_V1* page, int templateId, DLGPROC procedure)
{
    page->dwSize = PROPSHEETPAGEA_V1_SIZE;
    page->dwFlags = 0;
    page->hInstance = setup.instanceHandle;
    page->pszTemplate = MAKEINTRESOURCEA(templateId);
    page->pfnDlgProc = procedure;
    page->lParam = 0;
}

void runWizard()
{
    // the progress page's bar is a common control
    initCommonControls(ICC_PROGRESS_CLASS);

    PROPSHEETPAGEA_V1 pages[3] = {};
    fillPage(&pages[0], IDD_DESTINATION_PAGE, destinationPageProc);
    fillPage(&pages[1], IDD_OPTIONS_PAGE, optionsPageProc);
    fillPage(&pages[2], IDD_PROGRESS_PAGE, progressPageProc);

    PROPSHEETHEADERA header = {};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_NOAPPLYNOW;
    header.hwndParent = nullptr;
    header.hInstance = nullptr;
    header.pszCaption = nullptr;        // the destination page gives the frame its caption
    header.nPages = 3;
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);
    showPropertySheet(&header);
}
