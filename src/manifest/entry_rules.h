// The rules of an install or group entry's value, free of the platform: the program's
// readers (manifest/entries.h) and the manifest checker apply them. Those the program applies
// in one place are defined here, so that sharing them costs the program nothing.
#pragma once

#include "app/state.h"
#include "manifest/ini_text.h"

#include <string.h>

// The parsing halves of the readers, working on the value already in setup.entryValue.
void splitInstallEntry(bool valueFits);
void splitGroupEntry(bool valueFits);

// True for a group value that is an entry: a link name that is not empty, then a comma.
bool isGroupEntry(const char* value);

enum ValueRead { VALUE_ABSENT, VALUE_READ, VALUE_TOO_LONG };

// The value of an entry's line as the program takes it, into a PATH_SIZE buffer: absent
// when empty; too long, with the buffer empty, beyond 259 bytes (a cut value would name
// another file).
inline ValueRead takeEntryValue(const IniLine& line, char* buffer)
{
    buffer[0] = 0;
    if (line.valueLength == 0)
        return VALUE_ABSENT;
    if (line.valueLength >= PATH_SIZE)
        return VALUE_TOO_LONG;
    memcpy(buffer, line.value, line.valueLength);
    buffer[line.valueLength] = 0;
    return VALUE_READ;
}

// Whether a group value read ends the group list: it was absent or too long to read, or is
// no entry (isGroupEntry). An install value ends the install list only when absent.
inline bool endsGroupList(ValueRead read, const char* value)
{
    return read != VALUE_READ || !isGroupEntry(value);
}

// Cuts text at its first comma (on a character boundary) and returns the text after it;
// null, with text unchanged, when it has none. A group value "link name,target" and a
// shortcut target "path,arguments" split here.
char* cutAtComma(char* text);

// An install value "source[,destination]": cuts value at its first comma so that it keeps
// the source, and returns the destination part (the whole value when it has no comma).
inline char* splitInstallValue(char* value)
{
    char* destination = cutAtComma(value);
    return destination ? destination : value;
}

// destDir followed by relative into target, a PATH_SIZE buffer. False, with target empty,
// when the whole does not fit 259 bytes: a cut path would name another file.
bool composeTarget(char* target, const char* destDir, const char* relative);
