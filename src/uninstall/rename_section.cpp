// The rebuilt text of section [Rename]: the old lines in order, the new line last.
#include "uninstall/rename_section.h"

#include <string.h>

static bool appendBytes(char* area, size_t size, size_t* used, const char* bytes, size_t count)
{
    if (count > size - *used)
        return false;
    memcpy(area + *used, bytes, count);
    *used += count;
    return true;
}

static bool holdsLineBreak(const char* bytes, size_t count)
{
    return memchr(bytes, '\r', count) != nullptr || memchr(bytes, '\n', count) != nullptr;
}

size_t composeRenameSection(char* section, size_t sectionSize, const char* lines, size_t linesLength,
                            const char* shortPath)
{
    size_t used = 0;
    if (!appendBytes(section, sectionSize, &used, "[Rename]\r\n", 10))
        return 0;
    size_t at = 0;
    while (at < linesLength && lines[at] != 0) {
        const char* line = lines + at;
        const char* end = (const char*)memchr(line, 0, linesLength - at);
        size_t count = end ? (size_t)(end - line) : linesLength - at;
        if (holdsLineBreak(line, count) || !appendBytes(section, sectionSize, &used, line, count)
            || !appendBytes(section, sectionSize, &used, "\r\n", 2) || used > RENAME_SECTION_LIMIT)
            return 0;
        at += count + 1;
    }
    size_t pathLength = strlen(shortPath);
    if (holdsLineBreak(shortPath, pathLength) || !appendBytes(section, sectionSize, &used, "NUL=", 4)
        || !appendBytes(section, sectionSize, &used, shortPath, pathLength)
        || !appendBytes(section, sectionSize, &used, "\r\n", 2))
        return 0;
    return used;
}
