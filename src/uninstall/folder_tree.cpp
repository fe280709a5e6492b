// The walk over what is left of the installation folder: each file is asked about (files
// with the extension gid go without a question), emptied folders are removed.
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "res/resource.h"
#include "uninstall/folder_link.h"
#include "uninstall/leftover_name.h"
#include "util/folders.h"
#include "util/log.h"
#include "util/message.h"
#include "util/system_names.h"
#include "util/text.h"

#include <string.h>

static bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The answer for one file: IDYES, IDNO, IDCANCEL, or another result of the dialog (the
// file then stays).
static INT_PTR answerFor(const char* path, const char* name)
{
    if (setup.deleteAll)
        return IDYES;
    LeftoverRule rule = leftoverRule(name);
    if (rule == LEFTOVER_DELETE_UNASKED)
        return IDYES;
    char question[MESSAGE_SIZE];
    composeLeftoverQuestion(question, path, rule);
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

// Removes the folder itself (path without its trailing backslash) when it exists.
static int removeFolderItself(const char* path)
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
    showPathError(path, folder ? folderRemoveFailedSentence : deleteFailedSentence);
    return !folder;
}

int removeFolderTree(const char* folder)
{
    char path[PATH_SIZE];
    if (!textCopy(path, sizeof path, folder) || path[0] == 0)
        return 0;
    char* tail = path + strlen(path);
    int result = 1;
    WIN32_FIND_DATAA found;
    HANDLE search = INVALID_HANDLE_VALUE;
    if (textAppend(path, sizeof path, "*.*"))
        search = findFirstEntry(path, &found);
    else
        result = 0;                 // the folder cannot be listed: it cannot be emptied
    if (search != INVALID_HANDLE_VALUE) {
        do {
            *tail = 0;
            if (isDotEntry(found.cFileName))
                continue;
            if (!nameIsExact(found.cFileName)) {
                result = 0;
                if (!reportUnnamed(path, found)) {
                    FindClose(search);
                    return 0;
                }
                continue;
            }
            // an entry whose path does not fit is left alone: a cut path names another file
            if (!textAppend(path, sizeof path, found.cFileName)) {
                result = 0;
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
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!textAppend(path, sizeof path, "\\")) {
                    result = 0;
                    continue;
                }
                if (!removeFolderTree(path)) {
                    FindClose(search);
                    return 0;       // what was not reached stays, and so does this folder
                }
                continue;
            }
            INT_PTR answer = answerFor(path, found.cFileName);
            if (answer == IDCANCEL) {
                FindClose(search);
                return 0;
            }
            if (answer == IDYES && !removeFile(path))
                result = 0;
        } while (findNextEntry(search, &found));
        FindClose(search);
    }
    tail[-1] = 0;                   // the folder without its trailing backslash
    if (!removeFolderItself(path))
        result = 0;
    return result;
}
