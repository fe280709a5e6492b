// The install wizard: a three-page wizard sheet (destination, options, progress).
#pragma once

#include "app/platform.h"

// Shows the wizard modally; returns when it has been finished or cancelled.
void runWizard();

#ifdef _WIN32
INT_PTR CALLBACK destinationPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK optionsPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK progressPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

// The destination checks of Next on destDir, with their messages owned by owner: drive form
// (a backslash is added), the folder made as a test (its last level removed again), and the
// question when less than 100 MiB are free. True when the installation may go on.
bool checkDestination(HWND owner);

// The wizard frame's caption. The sheet replaces it with the shown page's own (empty)
// template caption each time a page comes up: each page, on its activation, calls
// keepSheetCaption, which sets it and posts WM_KEEP_CAPTION to the page; the page answers
// that with setSheetCaption once the sheet has finished showing it.
void setSheetCaption();
void keepSheetCaption(HWND page);
enum { WM_KEEP_CAPTION = WM_APP + 1 };
#endif

// The two shortcut choices (1 or 0) as the options page records them on Next.
void recordShortcutChoice(int startMenu, int desktop);

// The installation without a window: the destination checks, every install step in turn, and
// the product's start unless /LAUNCH=0; the outcome in setup.exitCode and the log.
void installUnattended();

// Runs the install steps from setup.stepIndex on for a few milliseconds and chains the next.
void installStep();

// Copies source over target as CopyFile does (the source's attributes and last-write time),
// whole or not at all (util/whole_copy.h), in pieces; past its first 256 KiB a file is
// finished by a thread while the wizard's messages are let through. After a failure or
// Cancel meanwhile, the target is as it was before. 1 on success.
int copyEntryAnswering(const char* source, const char* target);

// Installs the entry last loaded into entryValue / entryTarget / targetTail. 1 on success.
int installOneEntry();

// The unattended install's two copying threads (copy_ahead.cpp), started once the destination
// is made, unless the destination and the setup program's folder hold one another.
void startCopyAhead();
// Hands install entry number (source relative to the setup program's folder, full target) to
// its copying thread, which copies it beside its target; the entry two before it must have
// been taken.
void askCopyAhead(int number, const char* source, const char* target);
// Waits for entry number, when it was handed over, and keeps its copy for finishCopyAhead,
// which finishes it once the entry is loaded.
void takeCopyAhead(int number);
// The kept copy made the target of the entry now loaded: 1 or 0 as finishWholeCopy; -1 when
// no copy is kept (the entry is then copied as usual).
int finishCopyAhead();
// Ends the copying threads; a copy they made and nobody took goes.
void endCopyAhead();
