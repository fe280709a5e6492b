// The relaunch for uninstall (mode r) and the uninstall run (mode x).
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "res/resource.h"
#include "util/file_stamp.h"
#include "util/log.h"
#include "util/message.h"
#include "util/text.h"
#include "util/whole_copy.h"

static void relaunchFailed()
{
    raiseExitCode(EXIT_RELAUNCH_FAILED);
    showMessage(nullptr, relaunchFailedMessage, product.messageCaption, MB_ICONERROR);
}

// Starts the unattended uninstall run and waits for it: its exit code becomes this one's, so
// that a deployment tool learns when the removal has ended and how. A code that no run gives
// (the copy crashed) counts as a failed relaunch.
static void runCopyAndWait(const char* copyPath, char* commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION copy;
    int started = CreateProcessA(copyPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &copy);
    logResult(started, logStartWord, commandLine);
    if (!started) {
        relaunchFailed();
        return;
    }
    WaitForSingleObject(copy.hProcess, INFINITE);
    DWORD code = EXIT_RELAUNCH_FAILED;
    GetExitCodeProcess(copy.hProcess, &code);
    CloseHandle(copy.hThread);
    CloseHandle(copy.hProcess);
    raiseExitCode(code > EXIT_RELAUNCH_FAILED ? EXIT_RELAUNCH_FAILED : (int)code);
}

// Unattended, this program waits for the copy, and a running program's file cannot be
// deleted: so it is not copied but moved into the system directory, where it is the copy (a
// running program's file can be moved within its drive). On another drive it is copied, and
// the removal then reports it as a file it could not delete.
static int placeCopy(const char* copyPath, int* moved)
{
    *moved = setup.unattended && MoveFileExA(setup.exePath, copyPath, MOVEFILE_REPLACE_EXISTING);
    int placed = *moved || copyFileWhole(setup.exePath, copyPath);
    logResult(placed, *moved ? logMoveWord : logCopyWord, setup.exePath, logArrow, copyPath);
    return placed;
}

void relaunchForUninstall()
{
    char prompt[MESSAGE_SIZE];
    composeMessage(prompt, product.messageCaption, relaunchPromptTail);
    if (showMessage(nullptr, prompt, product.productName, MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2) != IDOK)
        return;

    char systemDir[PATH_SIZE];
    UINT length = GetSystemDirectoryA(systemDir, sizeof systemDir);
    char copyPath[PATH_SIZE];
    if (length == 0 || length >= sizeof systemDir || !textCopy(copyPath, sizeof copyPath, systemDir) ||
        !textAppend(copyPath, sizeof copyPath, "\\") || !textAppend(copyPath, sizeof copyPath, setup.exeName)) {
        relaunchFailed();
        return;
    }
    // whether a runnable copy resulted, the start tells; unattended, a failed copy is not
    // started over: the file there may be an older program that would open its wizard
    int moved;
    if (!placeCopy(copyPath, &moved) && setup.unattended) {
        relaunchFailed();
        return;
    }

    // Interactive: neither path is quoted, since the copy takes everything after "x " as one
    // path. Unattended: the switches of an unattended uninstall run, with the log's full path
    // and the program's path (/X=), which hold no "/" and no quote.
    const char* log = setup.logPath[0] != 0 ? " /LOG=\"" : nullptr;
    const char* interactive[] = { copyPath, " x ", setup.exePath };
    const char* unattended[] = { "\"", copyPath, "\" /S", setup.deleteAll ? " /DELETEALL" : "", log ? log : "",
                                 setup.logPath, log ? "\"" : "", " /X=", setup.exePath };
    const char* const* parts = setup.unattended ? unattended : interactive;
    int count = setup.unattended ? 9 : 3;
    char commandLine[3 * PATH_SIZE + 32];
    commandLine[0] = 0;
    for (int i = 0; i < count; ++i)
        if (!textAppend(commandLine, sizeof commandLine, parts[i])) {
            relaunchFailed();       // cannot happen with paths of 259 bytes; a cut line is never run
            return;
        }
    SetCurrentDirectoryA(systemDir);    // the copy inherits it: nothing holds the installation folder
    if (!setup.unattended) {
        if (WinExec(commandLine, SW_SHOWNORMAL) < 32)
            relaunchFailed();
        return;
    }
    runCopyAndWait(copyPath, commandLine);
    // a removal that did not come as far as the manifest copy (the product's main file was in
    // use, or the copy did not run) leaves an installation that can be removed again from its
    // Uninstall key: the program goes back beside the manifest
    if (moved && fileStamp(setup.manifestPath))
        logResult(MoveFileExA(copyPath, setup.exePath, 0), logMoveWord, copyPath, logArrow, setup.exePath);
}

void runUninstall()
{
    textCopy(setup.destDir, sizeof setup.destDir, setup.baseDir);
    if (setup.unattended) {
        int ok = removeInstallation();
        // each failure raised its own code as it came; one that raised none is a failure all the same
        if (!ok && setup.exitCode == EXIT_DONE)
            raiseExitCode(EXIT_REMOVAL_FAILED);
        char text[MESSAGE_SIZE];
        composeRemovalResult(text, ok);
    } else {
        DialogBoxParamA(setup.instanceHandle, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, uninstallDialogProc, 0);
    }
    char runningCopy[PATH_SIZE];
    DWORD length = GetModuleFileNameA(nullptr, runningCopy, sizeof runningCopy);
    if (length == 0 || length >= sizeof runningCopy)
        return;
    logResult(scheduleRemovalAtRestart(runningCopy), logRestartWord, runningCopy);
}
