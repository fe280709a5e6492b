// The install engine: the destination checks, the install steps, the copy of one entry and
// the unattended install's copying threads. The wizard's pages and the unattended run (the
// entry) both run the installation through these.
#pragma once

#include "app/platform.h"

// The destination checks of Next on destDir, with their messages owned by owner: drive form
// (a backslash is added), the folder made as a test (its last level removed again), and the
// question when less than 100 MiB are free. True when the installation may go on.
bool checkDestination(HWND owner);
// The message for a destination that is not a folder with its drive; false.
bool refuseDriveForm(HWND owner);

// The two shortcut choices (1 or 0) as the options page records them on Next.
void recordShortcutChoice(int startMenu, int desktop);

// One step of the installation: 0 sets the bar's range (bar may be null), makes the
// destination and asks its volume how copies take their targets' place, then one per install
// entry (the program and its manifest first), and last (step last) the shortcuts.
void runStep(HWND bar, int step, int last);
// The sentence that ends the installation, also written to the log.
const char* resultSentence();
// Starts install entry 1 of the destination with "-Inst", unless /LAUNCH=0.
void startProduct(HWND page);
// The destination and the choices into the log, as the switches that would give them.
void logChoices();

// The installation without a window: the destination checks, every install step in turn, and
// the product's start unless /LAUNCH=0; the outcome in setup.exitCode and the log.
void installUnattended();

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
