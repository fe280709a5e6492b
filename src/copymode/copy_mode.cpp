// Copy mode: the installed files beside the program go into another folder, and a named
// desktop shortcut points at one of them. No window and no message, whatever happens.
#include "copymode/copy_mode.h"

#include "app/state.h"
#include "copymode/copy_paths.h"
#include "manifest/entries.h"
#include "manifest/manifest_file.h"
#include "shortcuts/shortcuts.h"
#include "util/text.h"
#include "util/whole_copy.h"

#include <string.h>

// The destination folder into destDir. A relative folder is resolved once, against the
// current directory the program was started in, because the copy below moves the current
// directory into the destination. False when the folder is empty, ends inside a
// double-byte character or does not fit 259 bytes.
static bool takeDestination(const char* folder)
{
    setup.destDir[0] = 0;
    if (folder[0] == 0 || endsInLoneLeadByte(folder))
        return false;
    if (isFullPath(folder))
        return textCopy(setup.destDir, sizeof setup.destDir, folder);
    DWORD length = GetFullPathNameA(folder, sizeof setup.destDir, setup.destDir, nullptr);
    if (length == 0 || length >= sizeof setup.destDir) {
        setup.destDir[0] = 0;
        return false;
    }
    return true;
}

// Creates the first folder level of a destination path, the part of it before the
// backslash at level, directly inside destDir. Deeper levels are not created.
static void createFirstLevel(char* destination, char* level)
{
    // the copy's folder becomes the current directory; the level is still named by its
    // full path, so that a folder that could not be entered gets nothing beside it
    SetCurrentDirectoryA(setup.destDir);
    *level = 0;
    CreateDirectoryA(destination, nullptr);
    *level = '\\';
}

// Copies one install entry read raw into entryTarget: its copied name, from the
// program's folder to the same name under destDir.
static void copyEntry()
{
    char* name = copiedName(setup.entryTarget);
    char source[PATH_SIZE];
    char destination[PATH_SIZE];
    // a path that does not fit is left out: cut, it would name another file
    if (!textCopy(source, sizeof source, setup.baseDir) || !textAppend(source, sizeof source, name)
        || !joinFolderAndName(destination, sizeof destination, setup.destDir, name))
        return;
    if (name != setup.entryTarget) {
        // only a value with a comma gets its first folder level
        char* backslash = findChar(name, '\\');
        if (backslash != nullptr)
            createFirstLevel(destination, destination + strlen(destination) - strlen(backslash));
    }
    copyFileWhole(source, destination);
}

int runCopyMode(const char* arguments)
{
    char text[COPY_ARGUMENTS_SIZE];
    // a longer text would lose the end of its destination folder: nothing is done
    if (!textCopy(text, sizeof text, arguments))
        return 1;
    CopyArguments parts;
    if (!splitCopyArguments(text, &parts))
        return 1;
    if (!takeDestination(parts.folder))
        return 1;
    CreateDirectoryA(setup.destDir, nullptr);
    askTargetVolume(setup.destDir);

    for (int i = 1; i < COPY_ENTRY_LIMIT; ++i) {
        ValueRead read = readManifestValue(installSection, i, setup.entryTarget);
        if (read == VALUE_ABSENT)
            break;
        // a value longer than 259 bytes is an entry that cannot be copied
        if (read == VALUE_READ)
            copyEntry();
    }

    // the shortcut manager splits its arguments off entryTarget and writes it only when
    // the target is an existing file; a target that does not fit gets no shortcut
    if (joinFolderAndName(setup.entryTarget, sizeof setup.entryTarget, setup.destDir, parts.target))
        manageShortcuts(SHORTCUT_DESKTOP, 0, parts.linkName);
    return 1;
}
