// Removing an installation: the relaunch from the system directory (mode r) and the
// uninstall run (mode x) with its dialog, folder walk, registry removal and restart removal.
#pragma once

#include "app/platform.h"

// Mode r: asks, copies the program into the system directory and starts the copy with
// "x " and this program's path.
void relaunchForUninstall();

// Mode x: the uninstall dialog, then the running copy's removal at the next restart.
void runUninstall();

// The dialog procedure of the uninstall dialog; returns 0 for every message.
INT_PTR CALLBACK uninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The uninstall sequence: 1 when every named file is gone and the folder walk succeeded.
int removeInstallation();

// Walks folder (ending in a backslash), asking about each file, and removes the emptied
// folders. 0 when something stayed or the user cancelled.
int removeFolderTree(const char* folder);

// The confirmation dialog: the question arrives as the init parameter, the result is the
// id of the button pressed.
INT_PTR CALLBACK confirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Deletes subkey of parent with every subkey below it. Reports nothing.
void removeRegistryTree(HKEY parent, const char* subkey);

// Arranges for the file at path to be deleted when the system next starts.
void scheduleRemovalAtRestart(const char* path);

// The fallback of scheduleRemovalAtRestart: rebuilds section [Rename] of the INI file at
// iniPath with every line it had and a last line "NUL=" + shortPath. 1 when written.
int rewriteRenameSection(const char* iniPath, const char* shortPath);
