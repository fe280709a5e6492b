// Message boxes of the form "path followed directly by a sentence".
#pragma once

#include "app/platform.h"

// Longest path (259 bytes) plus the longest sentence shown after one, with room to spare.
enum { MESSAGE_SIZE = 260 + 256 };

// Composes first + second + third (null parts are skipped) into text, never cut short
// while the parts fit MESSAGE_SIZE.
void composeMessage(char* text, const char* first, const char* second, const char* third = nullptr,
                    const char* fourth = nullptr);

#ifdef _WIN32
// Every message box of the program goes through here: shown, and written to the log when
// there is one (with the Win32 error when error is not 0). In an unattended run it is only
// written, and answered as the user's data asks: a Yes/No question with Yes (the only one
// asks whether to install onto a nearly full drive), any other box with OK.
int showMessage(HWND owner, const char* text, const char* caption, UINT type, DWORD error = 0);

// Shows path + sentence owned by setup.activeDialog, caption messageCaption, stop icon, OK,
// with the thread's last error in the log.
void showPathError(const char* path, const char* sentence);
#endif
