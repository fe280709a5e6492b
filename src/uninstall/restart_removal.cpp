// Deletion of the running copy at the next restart: the delayed move, or else a line
// "NUL=<short path>" at the end of section [Rename] of WININIT.INI.
#include "uninstall/uninstall.h"

#include "app/state.h"
#include "util/text.h"

#include <string.h>

enum { WORK_AREA_SIZE = 32768, SECTION_LIMIT = 30000 };

static bool appendBytes(char* area, size_t* used, const char* bytes)
{
    size_t count = strlen(bytes);
    if (count > WORK_AREA_SIZE - *used)
        return false;
    memcpy(area + *used, bytes, count);
    *used += count;
    return true;
}

// The rebuilt section: "[Rename]", every line the section has, the new line last. 0 when
// it would be too long; nothing has been written then.
static size_t composeSection(char* section, char* lines, const char* iniPath, const char* shortPath)
{
    // the section's lines as they stand: a lookup by key name would give every line of a
    // repeated key (several "NUL" lines are normal) the value of the first one
    lines[0] = lines[1] = 0;
    DWORD length = GetPrivateProfileSectionA("Rename", lines, WORK_AREA_SIZE, iniPath);
    if (length >= WORK_AREA_SIZE - 2)
        return 0;                   // cut short: rewriting it would lose lines
    size_t used = 0;
    appendBytes(section, &used, "[Rename]\r\n");
    for (const char* line = lines; *line; line += strlen(line) + 1) {
        if (!appendBytes(section, &used, line) || !appendBytes(section, &used, "\r\n"))
            return 0;
        if (used > SECTION_LIMIT)
            return 0;
    }
    if (!appendBytes(section, &used, "NUL=") || !appendBytes(section, &used, shortPath) ||
        !appendBytes(section, &used, "\r\n"))
        return 0;
    return used;
}

static int writeSection(const char* iniPath, const char* section, size_t used)
{
    WritePrivateProfileStringA("Rename", nullptr, nullptr, iniPath);  // the old section goes
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath);   // flush the cached copy
    // read and write: the last byte is read to find an end-of-file mark; no file is created
    HANDLE file = CreateFileA(iniPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    bool overEndMark = false;
    if (SetFilePointer(file, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER) {
        char last = 0;
        DWORD got = 0;
        overEndMark = ReadFile(file, &last, 1, &got, nullptr) && got == 1 && last == 0x1A;
    }
    SetFilePointer(file, overEndMark ? -1 : 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, section, (DWORD)used, &written, nullptr);
    CloseHandle(file);
    return 1;
}

int rewriteRenameSection(const char* iniPath, const char* shortPath)
{
    HANDLE heap = GetProcessHeap();
    char* lines = (char*)HeapAlloc(heap, 0, WORK_AREA_SIZE);
    char* section = (char*)HeapAlloc(heap, 0, WORK_AREA_SIZE);
    int written = 0;
    if (lines && section) {
        size_t used = composeSection(section, lines, iniPath, shortPath);
        if (used)
            written = writeSection(iniPath, section, used);
    }
    if (lines)
        HeapFree(heap, 0, lines);
    if (section)
        HeapFree(heap, 0, section);
    return written;
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
