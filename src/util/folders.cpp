// Folder creation level by level, and file removal, with their messages.
#include "util/folders.h"

#include "app/state.h"
#include "app/texts.h"
#include "util/log.h"
#include "util/message.h"
#include "util/text.h"

#include <string.h>

bool isDriveRoot(const char* path)
{
    return path[0] != 0 && path[1] == ':' && path[2] == '\\' && path[3] == 0;
}

int makeFolderLevel(char* path)
{
    if (isDriveRoot(path))
        return 1;
    size_t length = strlen(path);
    if (length == 0)
        return 0;
    char* cut = path + length - 1;  // the trailing backslash
    char saved = *cut;
    *cut = 0;
    int result = 1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            SetLastError(ERROR_ALREADY_EXISTS);     // for the log: the search itself succeeded
            showPathError(path, folderIsFileSentence);
            result = 0;
        }
    } else if (CreateDirectoryA(path, nullptr)) {
        logResult(1, logMadeWord, path);
    } else {
        showPathError(path, folderFailedSentence);
        result = 0;
    }
    *cut = saved;
    return result;
}

int makeFolderPath(char* path)
{
    if (path[0] == 0 || path[1] != ':' || path[2] != '\\')
        return makeFolderLevel(path);
    for (char* next = findChar(path + 3, '\\'); next; next = findChar(next + 1, '\\')) {
        char saved = next[1];
        next[1] = 0;
        int made = makeFolderLevel(path);
        next[1] = saved;
        if (!made)
            return 0;
    }
    return 1;
}

int removeFile(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) {
        logResult(1, logDeleteWord, path);
        return 1;
    }
    showPathError(path, deleteFailedSentence);
    // for an unattended removal; an unattended install sets its own code when it ends
    raiseExitCode(EXIT_REMOVAL_FAILED);
    return 0;
}
