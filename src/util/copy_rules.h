// The decisions of the whole-file copy (util/whole_copy.h) that need no system call: the
// temporary file's name and flags, what the system's answer to the replacement means, the
// read-only target. Free of the platform, so that the unit tests show them.
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

// What the system's answer (an NTSTATUS) to a link or rename over the target says; the last
// two are the refusals of the way or of the target, in this order.
enum ReplaceAnswer {
    REPLACE_DONE,
    REPLACE_IN_USE,         // refused as in use or denied: another program has it open for now
    REPLACE_UNKNOWN,        // the system or the volume does not know this way of doing it
    REPLACE_FAILED,
};
int replaceAnswer(unsigned status);

// The attributes a refused target is tried again with: without read-only, for a read-only
// file (not a folder); 0xFFFFFFFF when it is not tried again so.
unsigned withoutReadOnly(unsigned targetAttributes);
