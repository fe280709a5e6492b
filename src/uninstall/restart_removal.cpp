// Deletion of the running copy at the next restart: the delayed move, or else a line
// "NUL=<short path>" at the end of section [Rename] of WININIT.INI.
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "uninstall/rename_section.h"
#include "util/text.h"

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

// Makes the rebuilt file at newPath from a copy of the file at iniPath: the section's old
// place emptied, the rebuilt section at the end. False when any step failed.
static bool makeRebuiltCopy(const char* iniPath, const char* newPath, const char* shortPath, char* lines,
                            char* section)
{
    if (!CopyFileA(iniPath, newPath, FALSE))
        return false;               // also when there is no file: none is created
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
    char newPath[PATH_SIZE];
    if (!textCopy(newPath, sizeof newPath, iniPath) || !textAppend(newPath, sizeof newPath, ".new"))
        return 0;
    HANDLE heap = GetProcessHeap();
    char* lines = (char*)HeapAlloc(heap, 0, RENAME_AREA_SIZE);
    char* section = (char*)HeapAlloc(heap, 0, RENAME_AREA_SIZE);
    int replaced = 0;
    if (lines && section) {
        replaced = makeRebuiltCopy(iniPath, newPath, shortPath, lines, section)
                   && MoveFileExA(newPath, iniPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!replaced)
            DeleteFileA(newPath);
    }
    if (lines)
        HeapFree(heap, 0, lines);
    if (section)
        HeapFree(heap, 0, section);
    return replaced;
}

void scheduleRemovalAtRestart(const char* path)
{
    if (MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return;
    char iniPath[PATH_SIZE];
    UINT length = GetWindowsDirectoryA(iniPath, sizeof iniPath);
    if (length == 0 || length >= sizeof iniPath || !textAppend(iniPath, sizeof iniPath, "\\WININIT.INI"))
        return;
    // without its short form the line is not written: a cut or long name could be misread
    // at restart as another file's
    char shortPath[PATH_SIZE];
    DWORD shortLength = GetShortPathNameA(path, shortPath, sizeof shortPath);
    if (shortLength == 0 || shortLength >= sizeof shortPath)
        return;
    rewriteRenameSection(iniPath, shortPath);
}
