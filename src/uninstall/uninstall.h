// Removing an installation: the relaunch from the system directory (mode r) and the
// uninstall run (mode x) with its dialog, folder walk, registry removal and restart removal.
#pragma once

#include "app/platform.h"

// Mode r: asks, copies the program into the system directory and starts the copy with
// "x " and this program's path. Unattended (/S), nothing is asked: the copy is started with
// the switches of an unattended uninstall run, and its exit code is waited for and kept.
void relaunchForUninstall();

// Mode x: the uninstall dialog (unattended: the sequence alone, its outcome kept as the exit
// code), then the running copy's removal at the next restart.
void runUninstall();

// The dialog procedure of the uninstall dialog; returns 0 for every message.
INT_PTR CALLBACK uninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The uninstall sequence: 1 when every named file is gone and the folder walk succeeded.
int removeInstallation();

// The uninstall's result sentence for removeInstallation's result (MESSAGE_SIZE bytes), also
// written to the log.
void composeRemovalResult(char* text, int ok);

// Walks folder (ending in a backslash), asking about each file, and removes the emptied
// folders. 0 when something stayed or the user cancelled; 2 when the folder stays only for
// the run's own log, which is never asked about.
int removeFolderTree(const char* folder);
// The same walk over the installation folder, which itself stays, and so do the program
// and its manifest at its top: the sequence deletes them last. -1 when the walk stopped
// (Cancel, or a subfolder that stayed), 0 when a file stayed that was to go, 1 when all is
// walked, 2 when the folder is to stay for the log.
int emptyInstallationFolder(const char* folder);
// Removes the folder (without its trailing backslash) when it exists; its message when it
// cannot. 1 when it is gone.
int removeFolderItself(const char* path);

// The confirmation dialog: the question arrives as the init parameter, the result is the
// id of the button pressed.
INT_PTR CALLBACK confirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Deletes subkey of parent with every subkey below it. Shows nothing; 1 when the key is gone
// (or was never there), with the deletion's result as the thread's last error.
int removeRegistryTree(HKEY parent, const char* subkey);

// Arranges for the file at path to be deleted when the system next starts, named as the
// system names it then (util/final_path.h). 1 when arranged.
int scheduleRemovalAtRestart(const char* path);

// Path n (0 to 9) of the program's name in the system directory: the name itself, or "~n"
// before it. True when that path is free, or holds a copy of this very program (an earlier
// removal's, to be deleted at restart), which may then be replaced.
bool systemDirectoryName(char* path, int n);

// The fallback of scheduleRemovalAtRestart: rebuilds section [Rename] of the INI file at
// iniPath with every line it had and a last line "NUL=" + shortPath. 1 when written.
int rewriteRenameSection(const char* iniPath, const char* shortPath);
