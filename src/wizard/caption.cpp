// The wizard frame's caption, "Rovenda のインストール": the destination label without its
// last character. The sheet resets the frame's caption from each page's template as the
// page comes up (the templates carry none), so every page puts it back once it is shown.
#include "wizard/wizard.h"

#include "app/state.h"
#include "util/text.h"

#include <string.h>

void setSheetCaption()
{
    char caption[PATH_SIZE];
    textCopy(caption, sizeof caption, product.destinationLabel);
    // cut before the last character, a double-byte one: walk from the start
    size_t last = 0;
    for (size_t i = 0; caption[i] != 0; i += (isLeadByte((unsigned char)caption[i]) && caption[i + 1]) ? 2 : 1)
        last = i;
    caption[last] = 0;
    SetWindowTextA(setup.sheetWindow, caption);
}

void keepSheetCaption(HWND page)
{
    setSheetCaption();
    // the sheet sets the page's caption after the page's activation: put it back once the
    // sheet has finished showing the page
    PostMessageA(page, WM_KEEP_CAPTION, 0, 0);
}

