// The log of a run (/LOG=file): one line per event, each beginning with the local date and
// time to the millisecond, in the system's ANSI code page (Shift_JIS on a Japanese system)
// with CR LF, so that Notepad reads it. Lines are appended, so earlier runs stay, and the
// removal's two processes (the relaunch and its copy) write into the same file.
#pragma once

#include "app/platform.h"

// Opens setup.logPath, made a full path first, for appending (created when missing); true
// also without a log. False when it cannot be opened: the run then changes nothing.
bool openLog();

// One line of up to four parts (null parts are left out). Nothing without a log.
void logLine(const char* first, const char* second = nullptr, const char* third = nullptr,
             const char* fourth = nullptr);

// A message the program shows (or, unattended, would show), with the Win32 error's number
// and text when error is not 0.
void logMessage(const char* text, DWORD error);

// One line: what was done to what, then ": 成功", or ": 失敗" with the number of the
// thread's last Win32 error and the system's text for it.
void logResult(int ok, const char* action, const char* object, const char* more = nullptr,
               const char* last = nullptr);
