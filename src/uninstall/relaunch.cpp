// The relaunch for uninstall (mode r) and the uninstall run (mode x).
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "res/resource.h"
#include "util/message.h"
#include "util/text.h"
#include "util/whole_copy.h"

static void showRelaunchFailed()
{
    MessageBoxA(nullptr, relaunchFailedMessage, product.messageCaption, MB_ICONERROR);
}

void relaunchForUninstall()
{
    char prompt[MESSAGE_SIZE];
    composeMessage(prompt, product.messageCaption, relaunchPromptTail);
    if (MessageBoxA(nullptr, prompt, product.productName, MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2) != IDOK)
        return;

    char systemDir[PATH_SIZE];
    UINT length = GetSystemDirectoryA(systemDir, sizeof systemDir);
    char copyPath[PATH_SIZE];
    if (length == 0 || length >= sizeof systemDir || !textCopy(copyPath, sizeof copyPath, systemDir) ||
        !textAppend(copyPath, sizeof copyPath, "\\") || !textAppend(copyPath, sizeof copyPath, setup.exeName)) {
        showRelaunchFailed();
        return;
    }
    copyFileWhole(setup.exePath, copyPath);     // whether a runnable copy resulted, the start tells

    // neither path is quoted: the copy takes everything after "x " as one path
    char commandLine[2 * PATH_SIZE + 4];
    textCopy(commandLine, sizeof commandLine, copyPath);
    textAppend(commandLine, sizeof commandLine, " x ");
    textAppend(commandLine, sizeof commandLine, setup.exePath);
    SetCurrentDirectoryA(systemDir);    // the copy inherits it: nothing holds the installation folder
    if (WinExec(commandLine, SW_SHOWNORMAL) < 32)
        showRelaunchFailed();
}

void runUninstall()
{
    textCopy(setup.destDir, sizeof setup.destDir, setup.baseDir);
    DialogBoxParamA(setup.instanceHandle, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, uninstallDialogProc, 0);
    char runningCopy[PATH_SIZE];
    DWORD length = GetModuleFileNameA(nullptr, runningCopy, sizeof runningCopy);
    if (length == 0 || length >= sizeof runningCopy)
        return;
    scheduleRemovalAtRestart(runningCopy);
}
