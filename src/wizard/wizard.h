// The install wizard: a three-page wizard sheet (destination, options, progress).
#pragma once

#include "app/platform.h"

// Shows the wizard modally; returns when it has been finished or cancelled.
void runWizard();

#ifdef _WIN32
INT_PTR CALLBACK destinationPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK optionsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK progressPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

// The wizard frame's caption. The sheet replaces it with the shown page's own (empty)
// template caption each time a page comes up: each page, on its activation, calls
// keepSheetCaption, which sets it and posts WM_KEEP_CAPTION to the page; the page answers
// that with setSheetCaption once the sheet has finished showing it.
void setSheetCaption();
void keepSheetCaption(HWND page);
enum { WM_KEEP_CAPTION = WM_APP + 1 };
#endif

// The progress page's step machine: runs the install steps from setup.stepIndex on for a few
// milliseconds and chains the next.
void installStep();
