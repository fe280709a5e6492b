// The decisions of the whole-file copy that need no system call (see copy_rules.h).
#include "util/copy_rules.h"

#include "app/state.h"

// The platform's values, spelled out: this file is compiled natively too
enum : unsigned {
    READ_ONLY = 0x1, HIDDEN = 0x2, SYSTEM = 0x4, DIRECTORY = 0x10, ARCHIVE = 0x20, TEMPORARY = 0x100,
    NOT_CONTENT_INDEXED = 0x2000, DELETE_ON_CLOSE = 0x04000000,
};

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
