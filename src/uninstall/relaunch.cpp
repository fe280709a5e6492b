// The relaunch for uninstall (mode r) and the uninstall run (mode x).
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "manifest/in_use.h"
#include "res/resource.h"
#include "util/file_identity.h"
#include "util/log.h"
#include "util/message.h"
#include "util/text.h"
#include "util/whole_copy.h"

#include <string.h>

static void relaunchFailed()
{
    raiseExitCode(EXIT_RELAUNCH_FAILED);
    showMessage(nullptr, relaunchFailedMessage, product.messageCaption, MB_ICONERROR);
}

// Starts the unattended uninstall run and waits for it: its exit code becomes this one's, so
// that a deployment tool learns when the removal has ended and how. A run ends with 0 or 2
// to 9; any other code (1, or the status of a crash or a kill) means that the copy did not
// come to its end, a failed relaunch.
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
    raiseExitCode(code == EXIT_INTERACTIVE || code > EXIT_RELAUNCH_FAILED ? EXIT_RELAUNCH_FAILED : (int)code);
}

// Whether the file at path is a copy of this program (one an earlier removal left there for
// the next restart): the same size and last-write time to the 100 ns as this program's own
// file, which every copy this program makes takes from its source.
static bool holdsThisProgram(const char* path)
{
    WIN32_FIND_DATAA found[2];
    const char* paths[2] = { path, setup.exePath };
    for (int i = 0; i < 2; ++i) {
        HANDLE search = FindFirstFileA(paths[i], &found[i]);
        if (search == INVALID_HANDLE_VALUE)
            return false;
        FindClose(search);
    }
    return found[0].nFileSizeLow == found[1].nFileSizeLow && found[0].nFileSizeHigh == found[1].nFileSizeHigh &&
           memcmp(&found[0].ftLastWriteTime, &found[1].ftLastWriteTime, sizeof(FILETIME)) == 0;
}

bool systemDirectoryName(char* path, int n)
{
    char prefix[] = "\\~0";         // "\\" alone for the program's own name
    prefix[1] = n ? '~' : 0;
    prefix[2] = (char)('0' + n);
    UINT length = GetSystemDirectoryA(path, PATH_SIZE);
    return length != 0 && length < PATH_SIZE && textAppend(path, PATH_SIZE, prefix) &&
           textAppend(path, PATH_SIZE, setup.exeName) &&
           (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES || holdsThisProgram(path));
}

// Unattended, the installation removed is the one the Uninstall key names, when it names a
// folder that is there: a program elsewhere (the distribution's, a copy in a download folder)
// would remove its own folder's files and the real installation's key and shortcuts.
static bool removesTheKeysInstallation()
{
    if (!setup.previousFound || GetFileAttributesA(setup.destDir) == INVALID_FILE_ATTRIBUTES ||
        sameFile(setup.destDir, setup.baseDir))
        return true;
    logLine(setup.destDir, notThisInstallationSentence);
    raiseExitCode(EXIT_BAD_COMMAND_LINE);
    return false;
}

void relaunchForUninstall()
{
    if (setup.unattended) {
        if (!removesTheKeysInstallation())
            return;
    } else {
        char prompt[MESSAGE_SIZE];
        composeMessage(prompt, product.messageCaption, relaunchPromptTail);
        if (showMessage(nullptr, prompt, product.productName, MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2) != IDOK)
            return;
    }

    // The program is copied, never moved: the Uninstall key's command must find it in its
    // folder whenever a removal killed midway is to be run again; the uninstall run deletes
    // it last. Whether a runnable copy resulted, the start tells; unattended, a failed copy
    // is not started over: the file there may be an older program that would open its wizard.
    // A file of the program's name there that is not a copy of this program (another
    // product's setup program) is never replaced, nor its deletion arranged: a name "~1" to
    // "~9" before the name is taken instead. The uninstall run takes its paths from its
    // argument, not from its own name.
    char copyPath[PATH_SIZE];
    bool chosen = false;
    for (int n = 0; n < 10 && !chosen; ++n)
        chosen = systemDirectoryName(copyPath, n);
    int copied = chosen && copyFileWhole(setup.exePath, copyPath);
    logResult(copied, logCopyWord, setup.exePath, logArrow, copyPath);
    if (!chosen || (!copied && setup.unattended)) {
        relaunchFailed();
        return;
    }

    // Interactive: neither path is quoted, since the copy takes everything after "x " as one
    // path. Unattended: the switches of an unattended uninstall run, with the log's full path
    // and the program's path (/X=), which hold no "/" and no quote.
    const char* log = setup.logPath[0] != 0 ? " /LOG=\"" : nullptr;
    const char* interactive[] = { copyPath, " x ", setup.exePath };
    const char* unattended[] = { "\"", copyPath, "\" /S", setup.deleteAll ? " /DELETEALL" : "",
                                 setup.closeProduct ? " /CLOSE=" : "", setup.closeProduct ? formatKey(setup.closeProduct) : "",
                                 log ? log : "", setup.logPath, log ? "\"" : "", " /X=", setup.exePath };
    const char* const* parts = setup.unattended ? unattended : interactive;
    int count = setup.unattended ? 11 : 3;
    char commandLine[3 * PATH_SIZE + 32];
    commandLine[0] = 0;
    for (int i = 0; i < count; ++i)
        if (!textAppend(commandLine, sizeof commandLine, parts[i])) {
            relaunchFailed();       // cannot happen with paths of 259 bytes; a cut line is never run
            return;
        }
    // the copy inherits it: nothing holds the installation folder
    char systemDir[PATH_SIZE];
    UINT length = GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (length != 0 && length < sizeof systemDir)
        SetCurrentDirectoryA(systemDir);
    if (!setup.unattended) {
        if (WinExec(commandLine, SW_SHOWNORMAL) < 32)
            relaunchFailed();
        return;
    }
    runCopyAndWait(copyPath, commandLine);
}

void runUninstall()
{
    textCopy(setup.destDir, sizeof setup.destDir, setup.baseDir);
    // the running copy's deletion at restart is arranged first: a run killed at any moment
    // then leaves nothing in the system directory that nothing will delete
    scheduleRemovalAtRestart(setup.exePath);
    if (setup.unattended) {
        // a product in use is found before anything changes: nothing is removed then
        if (!installationFree()) {
            raiseExitCode(EXIT_MAIN_FILE_IN_USE);
            return;
        }
        int ok = removeInstallation();
        // each failure raised its own code as it came; one that raised none is a failure all the same
        if (!ok && setup.exitCode == EXIT_DONE)
            raiseExitCode(EXIT_REMOVAL_FAILED);
        char text[MESSAGE_SIZE];
        composeRemovalResult(text, ok);
    } else {
        DialogBoxParamA(setup.instanceHandle, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, uninstallDialogProc, 0);
    }
}
