// The text work of copy mode (see copy_paths.h).
#include "copymode/copy_paths.h"

#include "util/text.h"

#include <string.h>

bool splitCopyArguments(char* text, CopyArguments* parts)
{
    char* first = findChar(text, '/');
    if (first == nullptr)
        return false;
    char* second = findChar(first + 1, '/');
    if (second == nullptr)
        return false;
    *first = 0;
    *second = 0;
    parts->linkName = text;
    parts->target = first + 1;
    parts->folder = second + 1;
    return true;
}

static bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool isFullPath(const char* path)
{
    char drive = path[0];
    bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    if (letter && path[1] == ':' && isSeparator(path[2]))
        return true;
    return isSeparator(path[0]) && isSeparator(path[1]);
}

bool endsInLoneLeadByte(const char* text)
{
    size_t n = strlen(text);
    return n > 0 && isLeadByte((unsigned char)text[n - 1]) && !endsInsideDbcs(text, n - 1);
}

bool joinFolderAndName(char* dst, size_t dstSize, const char* folder, const char* name)
{
    bool fits = textCopy(dst, dstSize, folder);
    // "/" is never a trail byte in code page 932, so a last byte "/" ends the folder
    size_t length = strlen(dst);
    if (fits && !(length > 0 && dst[length - 1] == '/'))
        fits = ensureTrailingSeparator(dst, dstSize);
    fits = fits && textAppend(dst, dstSize, name);
    if (!fits && dstSize > 0)
        dst[0] = 0;
    return fits;
}

char* copiedName(char* value)
{
    char* comma = findChar(value, ',');
    return comma ? comma + 1 : value;
}
