// Deletion of the running copy at the next restart: the delayed move, or else a line
// "NUL=<short path>" at the end of section [Rename] of WININIT.INI.
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "app/texts.h"
#include "uninstall/rename_section.h"
#include "util/log.h"
#include "util/text.h"

#include <string.h>

// Appends the section to the open file: over its end-of-file mark (Ctrl-Z) when it ends
// with one, else after its last byte. True when every byte was written.
static bool appendSection(HANDLE file, const char* section, size_t used)
{
    bool overEndMark = false;
    if (SetFilePointer(file, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) {
        char last = 0;
        DWORD got = 0;
        overEndMark = ReadFile(file, &last, 1, &got, nullptr) && got == 1 && last == 0x1A;
    }
    SetFilePointer(file, overEndMark ? -1 : 0, nullptr, FILE_END);
    DWORD written = 0;
    return WriteFile(file, section, (DWORD)used, &written, nullptr) && written == used && SetEndOfFile(file);
}

// Rebuilds the copy at newPath: the section's old place emptied, the rebuilt section at the
// end. False when any step failed.
static bool rebuildCopy(const char* newPath, const char* shortPath, char* lines, char* section)
{
    // the lines come from the copy, so that they and the rest of the file are one state; a
    // lookup by key name would give every line of a repeated key (several "NUL" lines are
    // normal) the value of the first one
    lines[0] = lines[1] = 0;
    DWORD length = GetPrivateProfileSectionA("Rename", lines, RENAME_AREA_SIZE, newPath);
    if (length >= RENAME_AREA_SIZE - 2)
        return false;               // cut short: rewriting it would lose lines
    size_t used = composeRenameSection(section, RENAME_AREA_SIZE, lines, length, shortPath);
    if (used == 0)
        return false;
    if (!WritePrivateProfileStringA("Rename", nullptr, nullptr, newPath))     // the old section goes
        return false;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, newPath);            // flush the cached copy
    HANDLE file = CreateFileA(newPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = appendSection(file, section, used);
    return CloseHandle(file) && written;
}

// The new file is made beside the old one and takes its place in one move, so the file
// never stands without its old lines: when the copy, the rebuild or the move fails (the
// file is held open by another process, the disk is full), it stays exactly as it was.
int rewriteRenameSection(const char* iniPath, const char* shortPath)
{
    // a read-only file is left as it is: the system refuses to replace it by a move (Wine,
    // as root, does not), and nothing else may write it either
    DWORD attributes = GetFileAttributesA(iniPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return 0;
    char newPath[PATH_SIZE];
    if (!textCopy(newPath, sizeof newPath, iniPath) || !textAppend(newPath, sizeof newPath, ".new"))
        return 0;
    // made by this run or not at all: a .new file already there is another run's (under way,
    // or ended midway) and is neither used nor deleted
    if (!CopyFileA(iniPath, newPath, TRUE))
        return 0;
    // the copy has the file's attributes: without them the profile writes and the delete
    // are never refused; the file's own (hidden, system) come back just before the move
    SetFileAttributesA(newPath, FILE_ATTRIBUTE_NORMAL);
    DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    HANDLE heap = GetProcessHeap();
    char* lines = (char*)HeapAlloc(heap, 0, RENAME_AREA_SIZE);
    char* section = (char*)HeapAlloc(heap, 0, RENAME_AREA_SIZE);
    int replaced = lines && section && rebuildCopy(newPath, shortPath, lines, section)
                   && SetFileAttributesA(newPath, kept ? kept : FILE_ATTRIBUTE_NORMAL)
                   && MoveFileExA(newPath, iniPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        SetFileAttributesA(newPath, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(newPath);
    }
    if (lines)
        HeapFree(heap, 0, lines);
    if (section)
        HeapFree(heap, 0, section);
    return replaced;
}

// The file's own path, as the system reads it at restart, when no program's view of the file
// system applies: on 64-bit Windows a 32-bit program's "system32" is SysWOW64, and the text
// "system32" would name another file there, the 64-bit system's own. The final path of the
// open file names the file itself; its "\\?\" before a drive is left out, as WININIT.INI
// knows no such form. The path as given when the file cannot be opened.
static void pathAtRestart(const char* path, char* atRestart)
{
    textCopy(atRestart, PATH_SIZE, path);
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char final[PATH_SIZE];
    DWORD length = GetFinalPathNameByHandleA(file, final, sizeof final, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    if (length != 0 && length < sizeof final)
        textCopy(atRestart, PATH_SIZE, final + (final[5] == ':' ? 4 : 0));     // "\\?\C:\..."
}

static int arrangeRemoval(const char* path)
{
    if (MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return 1;
    char iniPath[PATH_SIZE];
    UINT length = GetWindowsDirectoryA(iniPath, sizeof iniPath);
    if (length == 0 || length >= sizeof iniPath || !textAppend(iniPath, sizeof iniPath, "\\WININIT.INI"))
        return 0;
    // without its short form the line is not written: a cut or long name could be misread
    // at restart as another file's
    char shortPath[PATH_SIZE];
    DWORD shortLength = GetShortPathNameA(path, shortPath, sizeof shortPath);
    if (shortLength == 0 || shortLength >= sizeof shortPath)
        return 0;
    return rewriteRenameSection(iniPath, shortPath);
}

int scheduleRemovalAtRestart(const char* given)
{
    char path[PATH_SIZE];
    pathAtRestart(given, path);
    int arranged = arrangeRemoval(path);
    logResult(arranged, logRestartWord, path);
    // a file that nothing will delete is left behind: the run says so
    if (!arranged)
        raiseExitCode(EXIT_REMOVAL_FAILED);
    return arranged;
}
