// The text of section [Rename] as the restart removal rebuilds it, without the platform:
// the program, the host tests and the fuzzer share it.
#pragma once

#include <stddef.h>

enum { RENAME_AREA_SIZE = 32768, RENAME_SECTION_LIMIT = 30000 };

// Writes "[Rename]" CR LF, every line of lines in order with CR LF, then "NUL=" + shortPath
// CR LF into section (sectionSize bytes, no terminator) and returns the bytes used.
// lines is the section as the profile reader lists it: lines ended by a zero byte, the
// list by an empty line or by linesLength. 0 when nothing may be written: the old lines
// pass RENAME_SECTION_LIMIT bytes, the whole does not fit sectionSize, or a line or the
// path holds a CR or LF byte (written, it would split into other lines).
size_t composeRenameSection(char* section, size_t sectionSize, const char* lines, size_t linesLength,
                            const char* shortPath);
