// The uninstall sequence: per-user key, the files the manifest names from the last entry
// down, the shortcuts, the rest of the folder, the Uninstall key, and last the manifest and
// the program copy.
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "manifest/entries.h"
#include "shortcuts/shortcuts.h"
#include "util/folders.h"
#include "util/log.h"
#include "util/message.h"
#include "util/processes.h"
#include "util/text.h"

#include <string.h>

// The product's main file could not be removed: it is most likely running.
static void showMainFileFailed()
{
    raiseExitCode(EXIT_MAIN_FILE_IN_USE);
    char text[MESSAGE_SIZE];
    composeMessage(text, setup.entryTarget, mainFileFailedMiddle, product.messageCaption, mainFileFailedTail);
    showMessage(setup.activeDialog, text, product.messageCaption, MB_ICONERROR);
}

// A registry key with all below it; its line in the log names the root as HKCU or HKLM. A key
// that stays (its security denies deletion) is something the removal left.
static void removeKey(HKEY root, const char* rootName, const char* key)
{
    int removed = removeRegistryTree(root, key);
    logResult(removed, logDeleteWord, rootName, key);
    if (!removed)
        raiseExitCode(EXIT_REMOVAL_FAILED);
}

// The setup program in the folder. Unattended, the removal's first process runs it while it
// waits for this one, and a running program's file cannot be deleted; it can be moved within
// its drive: it goes to the system directory under a free name, to be deleted at restart.
// (On another drive it stays, and counts as a file that could not be deleted.) The folder,
// to be emptied by that move, is first given to the restart too, which removes it only if
// it is empty then: a run killed between the move and the folder's removal leaves no folder.
static int removeSetupProgram(const char* path, const char* folder)
{
    char aside[PATH_SIZE];
    if (setup.unattended && processRunsFile(parentProcessId(), path)) {
        if (!isDriveRoot(setup.destDir))
            MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        for (int n = 1; n < 10; ++n)
            if (systemDirectoryName(aside, n) && MoveFileExA(path, aside, MOVEFILE_REPLACE_EXISTING)) {
                logResult(1, logMoveWord, path, logArrow, aside);
                scheduleRemovalAtRestart(aside);
                return 1;
            }
    }
    return removeFile(path);
}

// Removes what the manifest names and what is left of the folder, in the order that lets a
// removal killed at any moment be run again from the Uninstall key's command: the program
// that command starts, and the manifest that tells the run what the installation holds, go
// last, after the shortcuts (whose group folder the manifest names) and the Uninstall key.
int removeInstallation()
{
    removeKey(HKEY_CURRENT_USER, "HKCU\\", "Software\\KORVAL");
    int ok = 1;
    for (int n = setup.installCount; n >= 1; --n) {
        if (!loadInstallEntry(n))
            continue;
        if (removeFile(setup.entryTarget))
            continue;
        ok = 0;
        if (n == 1) {
            // everything not yet reached stays, so that the uninstall can run again
            showMainFileFailed();
            return 0;
        }
    }
    manageShortcuts(SHORTCUT_PROGRAMS, 1, nullptr);
    manageShortcuts(SHORTCUT_DESKTOP, 1, nullptr);
    manageShortcuts(SHORTCUT_STARTUP, 1, nullptr);

    // a program started from a drive's root would make the whole drive the installation
    // folder: that walk is not made, and the files there count as remaining
    int walked = isDriveRoot(setup.destDir) ? -1 : emptyInstallationFolder(setup.destDir);
    if (walked < 1)
        ok = 0;

    removeKey(HKEY_LOCAL_MACHINE, "HKLM\\", productUninstallKey);
    char folder[PATH_SIZE];
    textCopy(folder, sizeof folder, setup.destDir);
    size_t length = strlen(folder);
    if (length > 0)
        folder[length - 1] = 0;         // without its trailing backslash
    if (loadInstallEntry(0) && !removeFile(setup.entryTarget))
        ok = 0;
    if (loadInstallEntry(-1) && !removeSetupProgram(setup.entryTarget, folder))
        ok = 0;
    // the folder itself, once walked to the end (a stopped walk has said what stays); with
    // the run's log in it, it stays for the log
    if (walked >= 0 && walked < 2 && !removeFolderItself(folder))
        ok = 0;
    return ok;
}
