// Program entry: restricts the DLL search, derives the program's paths, reads the switches
// of unattended runs and the log, and runs the mode the argument text chooses. The exit value
// is 1 for interactive runs whatever happened; an unattended run ends with the code of its
// outcome (app/state.h).
#include "app/state.h"
#include "app/texts.h"
#include "copymode/copy_mode.h"
#include "entry/arguments.h"
#include "entry/main.h"
#include "entry/switches.h"
#include "install/install.h"
#include "manifest/previous.h"
#include "uninstall/uninstall.h"
#include "util/log.h"
#include "util/processes.h"
#include "util/system_dlls.h"
#include "util/system_names.h"
#include "util/text.h"
#include "util/window.h"
#include "wizard/wizard.h"

// The switches that the argument text may hold for its mode: the install's take the place of
// "anything else", which opened the wizard; the removal's follow only the relaunch's first
// word in the form of the Uninstall key's command ("...SETUP.EXE" /r6): after any other word
// beginning with r ("/repair /S") the rest of the line stays unread, as it always was.
static SwitchesRead readModeSwitches(SetupMode mode, const char* arguments)
{
    if (mode == MODE_WIZARD)
        return readSwitches(arguments, INSTALL_SWITCHES);
    const char* rest = mode == MODE_RELAUNCH ? removalSwitchesText(arguments) : nullptr;
    if (rest == nullptr)
        return SWITCHES_NONE;
    SwitchesRead read = readSwitches(rest, REMOVAL_SWITCHES);
    // the removal's switches mean nothing without /S: a mistake a tool must hear of, not a prompt
    return read == SWITCHES_READ && !setup.unattended ? SWITCHES_BAD : read;
}

// The mode's run, after the previous installation's lookup and the switches over it.
static void runMode(SetupMode mode)
{
    loadPreviousInstall();
    if (setup.switchDestination[0] != 0)
        textCopy(setup.destDir, sizeof setup.destDir, setup.switchDestination);
    setup.savedOptions = (setup.savedOptions & ~setup.optionsGiven) | setup.optionsOn;
    switch (mode) {
    case MODE_RELAUNCH:
        relaunchForUninstall();
        break;
    case MODE_UNINSTALL:
        runUninstall();
        break;
    default:
        SetCurrentDirectoryA(setup.baseDir);
        if (setup.unattended)
            installUnattended();
        else
            runWizard();
        break;
    }
}

int runSetup(HINSTANCE instance, const char* arguments)
{
    // before any DLL is loaded by name: the program's folder may hold planted ones
    restrictDllSearch();
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
    if (readModeSwitches(mode, arguments) == SWITCHES_BAD)
        return EXIT_BAD_COMMAND_LINE;   // no window, nothing read or changed
    if (setup.removalPath[0] != 0) {
        // /X=: the uninstall run that the unattended removal starts. It runs only as the child
        // of the program it names, which asked for its own removal: a line typed by hand or
        // written by any other program would empty a folder without a question
        if (!processRunsFile(parentProcessId(), setup.removalPath))
            return EXIT_BAD_COMMAND_LINE;
        mode = MODE_UNINSTALL;
        rest = setup.removalPath;
    }
    const char* originPath = mode == MODE_UNINSTALL ? rest : setup.exePath;
    if (!deriveOriginPaths(originPath))
        return setup.unattended ? EXIT_BAD_COMMAND_LINE : 1;    // no program path: nothing is touched

    // a run that may show a window gets the window code's DLLs from the system directory
    // and the declared DPI awareness; the unattended run, which never shows one, neither
    // (loading them cost it a fifth of its start-up under Wine)
    if (!setup.unattended) {
        loadWindowDlls();
        followDeclaredDpiAwareness();
    }
    if (mode == MODE_COPY)
        return runCopyMode(rest);

    if (!openLog())
        return EXIT_LOG_FAILED;
    logLine(logCommandLineWord, GetCommandLineA());
    runMode(mode);
    int exitCode = setup.unattended ? setup.exitCode : EXIT_INTERACTIVE;
    logLine(logExitWord, formatKey((unsigned)exitCode));
    return exitCode;
}

#ifndef SETUP_OWN_STARTUP
// The C runtime's start-up cuts its own argument text; the program's rules for quotes and
// double-byte characters are argumentText's, so the command line is read again here.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return runSetup(instance, argumentText(GetCommandLineA()));
}
#endif
