// The uninstall sequence: per-user key, the files the manifest names from the last entry
// down to the manifest and the program copy, the rest of the folder, the Uninstall key and
// the shortcuts.
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "manifest/entries.h"
#include "shortcuts/shortcuts.h"
#include "util/folders.h"
#include "util/log.h"
#include "util/message.h"
#include "util/text.h"

// The product's main file could not be removed: it is most likely running.
static void showMainFileFailed()
{
    raiseExitCode(EXIT_MAIN_FILE_IN_USE);
    char text[MESSAGE_SIZE];
    composeMessage(text, setup.entryTarget, mainFileFailedMiddle, product.messageCaption, mainFileFailedTail);
    showMessage(setup.activeDialog, text, product.messageCaption, MB_ICONERROR);
}

// A registry key with all below it; its line in the log names the root as HKCU or HKLM.
static void removeKey(HKEY root, const char* rootName, const char* key)
{
    logResult(removeRegistryTree(root, key), logDeleteWord, rootName, key);
}

int removeInstallation()
{
    removeKey(HKEY_CURRENT_USER, "HKCU\\", "Software\\KORVAL");
    int ok = 1;
    for (int n = setup.installCount; n >= -1; --n) {
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
    // a program started from a drive's root would make the whole drive the installation
    // folder: that walk is not made, and the files there count as remaining
    if (isDriveRoot(setup.destDir) || !removeFolderTree(setup.destDir))
        ok = 0;

    char uninstallKey[PATH_SIZE] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    if (textAppend(uninstallKey, sizeof uninstallKey, product.productKey))
        removeKey(HKEY_LOCAL_MACHINE, "HKLM\\", uninstallKey);
    manageShortcuts(SHORTCUT_PROGRAMS, 1, nullptr);
    manageShortcuts(SHORTCUT_DESKTOP, 1, nullptr);
    manageShortcuts(SHORTCUT_STARTUP, 1, nullptr);
    return ok;
}
