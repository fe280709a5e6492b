// The decisions of the whole-file copy that need no system call (see copy_rules.h).
#include "util/copy_rules.h"

#include "app/state.h"

#include <string.h>

// The platform's values, spelled out: this file is compiled natively too
enum : unsigned {
    READ_ONLY = 0x1, HIDDEN = 0x2, SYSTEM = 0x4, DIRECTORY = 0x10, ARCHIVE = 0x20, TEMPORARY = 0x100,
    NOT_CONTENT_INDEXED = 0x2000, DELETE_ON_CLOSE = 0x04000000, NO_ATTRIBUTES = 0xFFFFFFFF,
};
// The low bytes of the statuses (0xC00000xx) that say a target is in use for now: access
// denied, a sharing violation, a delete pending; then those that say the way is unknown:
// not implemented (Wine, for a class it does not know), an invalid class (Windows before 10
// 1809, for the classes with POSIX semantics), an invalid parameter (FAT and exFAT, for those
// classes), an invalid device request, not supported (flags the system does not know; shares)
static const unsigned char statusBytes[] = { 0x22, 0x43, 0x56, 0x02, 0x03, 0x0D, 0x10, 0xBB };
enum { IN_USE_STATUSES = 3 };

unsigned copiedAttributes(unsigned sourceAttributes)
{
    return sourceAttributes & (READ_ONLY | HIDDEN | SYSTEM | ARCHIVE | TEMPORARY | NOT_CONTENT_INDEXED);
}

unsigned temporaryFileFlags(unsigned sourceAttributes, int renamed)
{
    return (copiedAttributes(sourceAttributes) & ~READ_ONLY) | (renamed ? 0u : DELETE_ON_CLOSE);
}

char* firstTemporaryName(char* name, size_t pathLength)
{
    // two bytes fit wherever the target's name has two, or its path one byte to spare
    bool two = name[1] != 0 || pathLength < PATH_SIZE - 1;
    name[0] = name[0] == '~' ? '_' : '~';
    if (!two)
        return nullptr;         // the name's terminator stays where it was
    name[1] = '0';
    name[2] = 0;
    return name + 1;
}

int replaceAnswer(unsigned status)
{
    if (status < 0x80000000)
        return REPLACE_DONE;
    const void* found =
        (status >> 8) == 0xC00000 ? memchr(statusBytes, (int)(status & 0xFF), sizeof statusBytes) : nullptr;
    if (!found)
        return REPLACE_FAILED;
    return static_cast<const unsigned char*>(found) < statusBytes + IN_USE_STATUSES ? REPLACE_IN_USE : REPLACE_UNKNOWN;
}

unsigned withoutReadOnly(unsigned targetAttributes)
{
    // no attributes at all have every bit set, the folder's too
    return (targetAttributes & (DIRECTORY | READ_ONLY)) == READ_ONLY ? targetAttributes & ~READ_ONLY : NO_ATTRIBUTES;
}
