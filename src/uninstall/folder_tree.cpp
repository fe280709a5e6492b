// The walk over what is left of the installation folder: each file is asked about (files
// with the extension gid go without a question), emptied folders are removed.
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "res/resource.h"
#include "uninstall/folder_link.h"
#include "uninstall/leftover_name.h"
#include "util/file_identity.h"
#include "util/folders.h"
#include "util/log.h"
#include "util/message.h"
#include "util/system_names.h"
#include "util/text.h"

#include <string.h>

// What a folder's walk came to: stopped (the folder and those above stay, without a further
// question or message), or walked with each file gone or kept as answered.
enum { WALK_STOPPED = -1, WALK_FAILED = 0, WALK_DONE = 1, WALK_HOLDS_LOG = 2 };

static bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The answer for one file: IDYES, IDNO, IDCANCEL, or another result of the dialog (the
// file then stays). The rule and the question go by the file's real name (shown, for a
// character the code page cannot hold, with "?"), not by the short name the file is
// deleted by: Zoë.gidx has a short name ending in .GID and is asked about all the same.
static INT_PTR answerFor(const char* shownPath, const char* realName)
{
    if (setup.deleteAll)
        return IDYES;
    LeftoverRule rule = leftoverRule(realName);
    if (rule == LEFTOVER_DELETE_UNASKED)
        return IDYES;
    char question[MESSAGE_SIZE];
    composeLeftoverQuestion(question, shownPath, rule);
    if (setup.unattended) {
        // the answer that keeps the user's data: the file and its folder stay
        logLine(question, logKeptWord);
        raiseExitCode(EXIT_FILES_KEPT);
        return IDNO;
    }
    INT_PTR answer = DialogBoxParamA(setup.instanceHandle, MAKEINTRESOURCEA(IDD_CONFIRM_REMOVAL), setup.activeDialog,
                                     confirmDialogProc, (LPARAM)question);
    if (answer == IDC_DELETE_ALL) {
        setup.deleteAll = 1;
        return IDYES;
    }
    return answer;
}

int removeFolderItself(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    FindClose(search);
    if (RemoveDirectoryA(path)) {
        logResult(1, logDeleteWord, path);
        return 1;
    }
    showPathError(path, folderRemoveFailedSentence);
    return 0;
}

// An entry whose name the code page cannot hold and that has no short name is never acted
// on: it goes like one that could not be removed, with that message. False for a folder:
// the walk stops there, as after a subfolder whose removal failed.
static bool reportUnnamed(char* path, const WIN32_FIND_DATAA& found)
{
    textAppend(path, PATH_SIZE, found.cFileName);   // shown, with its "?"
    bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    showPathError(path, folderRemoveFailedSentence);
    return !folder;
}

// Walks the folder at path (PATH_SIZE bytes, ending in a backslash; its text is kept): each
// file asked about, each subfolder walked and removed. The folder itself stays, and at the
// top of the installation folder so do the program and its manifest.
static int walkFolder(char* path, bool top)
{
    char* tail = path + strlen(path);
    int result = WALK_DONE;
    WIN32_FIND_DATAA found;
    char realName[MAX_PATH];
    HANDLE search = INVALID_HANDLE_VALUE;
    if (textAppend(path, PATH_SIZE, "*.*"))
        search = findFirstEntry(path, &found, realName);
    else
        result = WALK_FAILED;       // the folder cannot be listed: it cannot be emptied
    if (search != INVALID_HANDLE_VALUE) {
        do {
            *tail = 0;
            if (isDotEntry(found.cFileName))
                continue;
            if (!nameIsExact(found.cFileName)) {
                result = reportUnnamed(path, found) ? WALK_FAILED : WALK_STOPPED;
                if (result == WALK_STOPPED)
                    break;
                continue;
            }
            // an entry whose path does not fit is left alone: a cut path names another file
            if (!textAppend(path, PATH_SIZE, found.cFileName)) {
                result = WALK_FAILED;
                continue;
            }
            // a folder link (a junction, a symbolic link, a Unix link under Wine) may lead out
            // of the installation: it is never walked into, and nothing behind it is deleted.
            // Removing the link's own directory entry removes just the link; where the
            // system refuses, the link stays and this folder's removal reports it.
            if (isFolderLink(found.dwFileAttributes, found.dwReserved0)) {
                RemoveDirectoryA(path);
                continue;
            }
            int kept = WALK_DONE;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!textAppend(path, PATH_SIZE, "\\")) {
                    result = WALK_FAILED;
                    continue;
                }
                kept = removeFolderTree(path);
                if (kept == WALK_FAILED) {
                    result = WALK_STOPPED;  // what was not reached stays, and so does this folder
                    break;
                }
            } else if (top && (lstrcmpiA(found.cFileName, setup.exeName) == 0 ||
                               lstrcmpiA(found.cFileName, setup.manifestName) == 0)) {
                continue;   // the program and its manifest go last: a rerun of the removal needs them
            } else if (setup.logFile && isOpenFile(path, setup.logFile)) {
                // the run's own log is the deployment tool's, not a file of the user's: it is
                // neither asked about nor counted, and its folder stays with it
                kept = WALK_HOLDS_LOG;
            } else {
                char shownPath[MESSAGE_SIZE];
                *tail = 0;
                composeMessage(shownPath, path, realName);
                *tail = found.cFileName[0];
                INT_PTR answer = answerFor(shownPath, realName);
                if (answer == IDCANCEL) {
                    result = WALK_STOPPED;
                    break;
                }
                if (answer == IDYES && !removeFile(path))
                    result = WALK_FAILED;
            }
            if (kept == WALK_HOLDS_LOG && result == WALK_DONE)
                result = WALK_HOLDS_LOG;
        } while (findNextEntry(search, &found, realName));
        FindClose(search);
    }
    *tail = 0;
    return result;
}

int emptyInstallationFolder(const char* folder)
{
    char path[PATH_SIZE];
    if (!textCopy(path, sizeof path, folder) || path[0] == 0)
        return WALK_FAILED;
    return walkFolder(path, true);
}

int removeFolderTree(const char* folder)
{
    char path[PATH_SIZE];
    if (!textCopy(path, sizeof path, folder) || path[0] == 0)
        return 0;
    int walked = walkFolder(path, false);
    if (walked == WALK_STOPPED)
        return 0;
    if (walked == WALK_HOLDS_LOG)
        return WALK_HOLDS_LOG;
    path[strlen(path) - 1] = 0;     // the folder without its trailing backslash
    return removeFolderItself(path) ? walked : 0;
}
