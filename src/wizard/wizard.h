// The install wizard: a three-page wizard sheet (destination, options, progress).
#pragma once

#include "app/platform.h"

// Shows the wizard modally; returns when it has been finished or cancelled.
void runWizard();

#ifdef _WIN32
INT_PTR CALLBACK destinationPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK optionsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK progressPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
#endif
