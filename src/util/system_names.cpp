// Names and paths from the system made into ANSI text that names the same file (see
// system_names.h).
#include "util/system_names.h"

#include "app/state.h"
#include "util/text.h"

#include <stddef.h>
#include <string.h>

// The exact ANSI form of wide into text (size bytes): false, with every character the code
// page cannot hold written as "?", when one was met; false with "?" when it does not fit.
static bool exactAnsi(const WCHAR* wide, char* text, size_t size)
{
    BOOL lossy = FALSE;
    // no best fit: Windows would otherwise write Zoe for Zoë
    int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, text, (int)size, "?", &lossy);
    // a UTF-8 code page takes neither the flag nor a default character, and loses nothing
    if (written == 0 && GetLastError() == ERROR_INVALID_PARAMETER)
        written = WideCharToMultiByte(CP_ACP, 0, wide, -1, text, (int)size, nullptr, nullptr);
    if (written == 0) {
        textCopy(text, size, "?");
        return false;
    }
    return !lossy;
}

bool ansiPath(const WCHAR* widePath, char* path, size_t size)
{
    if (exactAnsi(widePath, path, size))
        return true;
    WCHAR shortPath[PATH_SIZE];
    DWORD length = GetShortPathNameW(widePath, shortPath, PATH_SIZE);
    return length != 0 && length < PATH_SIZE && exactAnsi(shortPath, path, size);
}

static_assert(offsetof(WIN32_FIND_DATAA, cFileName) == offsetof(WIN32_FIND_DATAW, cFileName),
              "the two find records agree up to the names");

void entryInAnsi(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA* found, char* realName)
{
    memcpy(found, &wide, offsetof(WIN32_FIND_DATAA, cFileName));
    exactAnsi(wide.cAlternateFileName, found->cAlternateFileName, sizeof found->cAlternateFileName);
    bool exact = exactAnsi(wide.cFileName, found->cFileName, sizeof found->cFileName);
    if (realName)
        textCopy(realName, sizeof found->cFileName, found->cFileName);
    if (!exact && found->cAlternateFileName[0] != 0 && nameIsExact(found->cAlternateFileName))
        textCopy(found->cFileName, sizeof found->cFileName, found->cAlternateFileName);
}

HANDLE findFirstEntry(const char* pattern, WIN32_FIND_DATAA* found, char* realName)
{
    WCHAR widePattern[PATH_SIZE];
    if (MultiByteToWideChar(CP_ACP, 0, pattern, -1, widePattern, PATH_SIZE) == 0)
        return INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW wide = {};     // Wine never writes the reparse tag: its links read 0
    HANDLE search = FindFirstFileW(widePattern, &wide);
    if (search != INVALID_HANDLE_VALUE)
        entryInAnsi(wide, found, realName);
    return search;
}

BOOL findNextEntry(HANDLE search, WIN32_FIND_DATAA* found, char* realName)
{
    WIN32_FIND_DATAW wide = {};     // Wine never writes the reparse tag: its links read 0
    if (!FindNextFileW(search, &wide))
        return FALSE;
    entryInAnsi(wide, found, realName);
    return TRUE;
}

bool nameIsExact(const char* name)
{
    return findChar(name, '?') == nullptr;
}
