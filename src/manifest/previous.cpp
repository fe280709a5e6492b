// The previous installation's folder and option number from the Uninstall key, and the
// number of install and group entries in the setup manifest.
#include "manifest/previous.h"

#include "app/state.h"
#include "manifest/destination.h"
#include "manifest/entries.h"
#include "manifest/manifest_file.h"
#include "util/text.h"

#include <string.h>

// Replaces the environment variables in value (PATH_SIZE bytes); false when the result
// does not fit.
static bool expandInPlace(char* value)
{
    char expanded[PATH_SIZE];
    DWORD length = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded)
        return false;
    return textCopy(value, PATH_SIZE, expanded);
}

static void readUninstallCommand()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, productUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    // a value that does not fit 259 bytes and its terminator is not used at all, since a cut
    // command names another folder; the extra byte terminates a value stored without one
    char value[PATH_SIZE + 1];
    DWORD size = PATH_SIZE;
    DWORD type = REG_NONE;
    LONG read = RegQueryValueExA(key, "UninstallString", nullptr, &type, (BYTE*)value, &size);
    // only text is a command: a number or raw bytes stored under the name would be read
    // as a folder and an option number
    if (read == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        value[size] = 0;
        if (strlen(value) >= PATH_SIZE || (type == REG_EXPAND_SZ && !expandInPlace(value)))
            value[0] = 0;
        int options = setup.savedOptions;
        if (parseUninstallCommand(value, &options))
            setup.previousFound = textCopy(setup.destDir, sizeof setup.destDir, value);
        setup.savedOptions = options;
    }
    RegCloseKey(key);
}

int loadPreviousInstall()
{
    char windowsDir[PATH_SIZE];
    UINT length = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    if (length == 0 || length >= sizeof windowsDir)
        windowsDir[0] = 0;
    setDefaultDestination(windowsDir);
    readUninstallCommand();

    setup.installCount = 0;
    while (loadInstallEntry(setup.installCount + 1))
        ++setup.installCount;
    // group entries are counted by their values alone: whether a target fits depends on the
    // destination, which is not chosen yet (and in the uninstall run is another folder), and
    // the uninstall must find the same group folder that the installation made
    setup.groupCount = 0;
    char value[PATH_SIZE];
    while (!endsGroupList(readManifestValue(groupSection, setup.groupCount + 1, value), value))
        ++setup.groupCount;
    return 1;
}
