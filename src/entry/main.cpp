// Program entry: restricts the DLL search, derives the program's paths and runs the mode
// the argument text chooses. The exit value is 1 whatever happened.
#include "app/state.h"
#include "copymode/copy_mode.h"
#include "entry/arguments.h"
#include "entry/main.h"
#include "manifest/previous.h"
#include "uninstall/uninstall.h"
#include "util/system_dlls.h"
#include "util/system_names.h"
#include "util/window.h"
#include "wizard/wizard.h"

int runSetup(HINSTANCE instance, const char* arguments)
{
    // before any DLL is loaded by name: the program's folder may hold planted ones
    restrictDllSearch();
    followDeclaredDpiAwareness();
    resetSetupState();
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

#ifndef SETUP_OWN_STARTUP
// The C runtime's start-up cuts its own argument text; the program's rules for quotes and
// double-byte characters are argumentText's, so the command line is read again here.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return runSetup(instance, argumentText(GetCommandLineA()));
}
#endif
