// The decisions of the whole-file copy (util/whole_copy.h) that need no system call: the
// temporary file's name and flags. Free of the platform, so that the unit tests show them.
#pragma once

#include <stddef.h>

// The attributes a copy takes from its source: read-only, hidden, system, archive, temporary
// and not-content-indexed. Other attribute bits have the values of open flags (0x20000000 is
// FILE_FLAG_NO_BUFFERING), which must never reach CreateFile.
unsigned copiedAttributes(unsigned sourceAttributes);

// CreateFile's flags for the temporary file: the copied attributes without read-only (it comes
// once the file is the target), and delete-on-close when it is to be linked in (renamed 0).
unsigned temporaryFileFlags(unsigned sourceAttributes, int renamed);

// Writes the first temporary name over name, the target's own name (one byte at least) at the
// end of a full path of pathLength bytes (in a 260-byte buffer): "~0", or "_0" for a name that
// begins with "~", so that it is never the target's own name, nor a name a one-byte target
// has. Only where a one-byte name's path leaves no byte is it the mark alone ("~"). Returns the
// digit that the next tries change ("0" to "f"), null when there is none.
char* firstTemporaryName(char* name, size_t pathLength);
