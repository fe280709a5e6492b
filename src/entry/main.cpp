// Program entry: cuts the argument text out of the command line, derives the program's
// paths, and runs one of the four modes. The exit value is 1 whatever happened.
#include "app/state.h"
#include "copymode/copy_mode.h"
#include "entry/arguments.h"
#include "manifest/previous.h"
#include "uninstall/uninstall.h"
#include "util/system_dlls.h"
#include "util/system_names.h"
#include "util/window.h"
#include "wizard/wizard.h"

static int runSetup(HINSTANCE instance)
{
    resetSetupState();
    // the argument text is taken from the command line itself, not from the start-up
    // code's copy, so that quoting and double-byte rules are the program's own
    const char* arguments = argumentText(GetCommandLineA());
    setup.instanceHandle = instance;
    // run from a folder whose name the code page cannot hold (a download folder under a user
    // name such as Zoë), the program's own path is its short form
    WCHAR widePath[PATH_SIZE];
    DWORD length = GetModuleFileNameW(instance, widePath, PATH_SIZE);
    if (length == 0 || length >= PATH_SIZE || !ansiPath(widePath, setup.exePath, sizeof setup.exePath))
        return 1;

    const char* rest;
    SetupMode mode = selectMode(arguments, &rest);
    const char* originPath = mode == MODE_UNINSTALL ? rest : setup.exePath;
    if (!deriveOriginPaths(originPath))
        return 1;                   // no program path to work from: nothing is touched

    if (mode == MODE_COPY)
        return runCopyMode(rest);

    loadPreviousInstall();
    switch (mode) {
    case MODE_RELAUNCH:
        relaunchForUninstall();
        break;
    case MODE_UNINSTALL:
        runUninstall();
        break;
    default:
        SetCurrentDirectoryA(setup.baseDir);
        runWizard();
        break;
    }
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // before any DLL is loaded by name: the program's folder may hold planted ones
    restrictDllSearch();
    followDeclaredDpiAwareness();
    return runSetup(instance);
}
