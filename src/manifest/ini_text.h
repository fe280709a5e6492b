// The profile (INI) reader's rules over a file's text in the ANSI code page, without the
// platform: the program's one-read manifest and the manifest checker both read through it.
// Lines end at CR or LF. A line "[name]" opens a section (blanks around the name dropped,
// the name ends at the last "]"); "name=value" is a key, blanks around both dropped; a line
// with no "=" is a key without a value. Lines before the first section belong to a section
// without a name. Names compare without regard to ASCII case; a lookup takes the first
// section of a name and, in it, the first key of a name, and drops one pair of matching
// quotes (" or ') around the value. A NUL byte ends a name or a value.
#pragma once

#include <stddef.h>

enum IniLineKind { INI_BLANK, INI_SECTION, INI_KEY };

struct IniLine {
    IniLineKind kind;
    unsigned number;            // line number, from 1
    size_t offset;              // where the line starts in the text
    const char* name;           // section or key name, without the blanks around it
    size_t nameLength;
    const char* value;          // a key's value as the lookup gives it (quotes dropped)
    size_t valueLength;
};

struct IniCursor {
    const char* text;
    size_t size;
    size_t pos;
    unsigned line;
};

void iniStart(IniCursor* cursor, const char* text, size_t size);

// The next line of the text, false at its end.
bool iniNextLine(IniCursor* cursor, IniLine* line);

// The line that starts at offset (an IniLine's offset), with the given line number.
void iniLineAt(const char* text, size_t size, size_t offset, IniLine* line);

// True when a name as the file holds it is the name asked (blanks around it dropped).
bool iniNameIs(const char* name, size_t length, const char* asked);

// Moves the cursor just past the header of the first section named section; false when
// there is none (the unnamed section before the first header is asked for with "").
bool iniFindSection(IniCursor* cursor, const char* text, size_t size, const char* section);

// The first key named key in the section the cursor stands in, up to the next header.
bool iniFindKeyInSection(IniCursor* cursor, const char* key, IniLine* found);

// The value the profile reader gives for section and key; false (value empty) when the
// section or the key is absent. A key present without "=" gives the empty value, true.
bool iniFindValue(const char* text, size_t size, const char* section, const char* key, IniLine* found);

// Indexes the section the cursor stands in (just past its header), up to the next header
// or the end: for each entry number below slots, where the line of its first key begins
// (offset + 1; 0 for none), the line the profile reader finds for key formatKey(number).
// lineOfEntry holds slots zeros. Returns the number of lines of the section: a section of
// n lines holds at most entries 1 to n (slots 0 counts them alone).
unsigned iniIndexEntries(IniCursor cursor, unsigned* lineOfEntry, unsigned slots);

// The entry number a key name stands for: decimal digits without sign or leading zero,
// at most 9 of them, the form formatKey gives. 0 for any other name.
unsigned iniEntryNumber(const char* name, size_t length);
