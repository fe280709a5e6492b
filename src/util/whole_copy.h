// A file copy that leaves its target whole or untouched, whatever happens to it: the new
// file is written beside the target under a temporary name that the system deletes when its
// handle closes (also when the process is killed), and only a complete copy takes the
// target's name, in one step: linked in as the target (a new file under the old name), or,
// on a volume without hard links, renamed over it. Shows nothing.
#pragma once

#include "app/platform.h"

struct WholeCopy {
    HANDLE in;
    HANDLE out;                 // the temporary file beside the target
    const char* target;
    FILE_BASIC_INFO source;     // the source's attributes and times
    char* buffer;               // COPY_PIECE_SIZE bytes for the pieces: copyPiece unless changed
    int renamed;                // 1: the temporary file is to be renamed over the target, not linked
};

// Opens source and creates the temporary file beside target. 1 when both are open.
int beginWholeCopy(WholeCopy* copy, const char* source, const char* target);

// The next piece, through copy->buffer: 1 a piece was copied, 0 the whole file is, -1 a read or
// write failed.
int copyWholePiece(WholeCopy* copy);

// The pieces left after state (as copyWholePiece's; 1 when pieces are left), then the end:
// a complete copy takes the source's last-write time and attributes and replaces the target
// (a read-only one too, and one that other programs hold open with delete sharing where the
// system allows it); 1 then. A target refused as in use is tried again for about a second
// (and five seconds over the run). Otherwise, or when the target cannot be replaced, the
// temporary file goes and the target stays as it was, and the last error says why. Once
// *stop is non-zero (set by another thread) no further piece is copied nor try made and the
// copy ends as a failed one. A volume that refuses a hard link it should take gets that file
// copied once more, and every later copy of the run is renamed into place (setup.noHardLinks).
int finishWholeCopy(WholeCopy* copy, int state, const int* stop);

// The whole copy at once. 1 on success.
int copyFileWhole(const char* source, const char* target);

// Asks the volume of folder (an existing one) whether it takes hard links, for the copies
// that follow (setup.noHardLinks): they are linked in where it says so (FILE_SUPPORTS_HARD_LINKS)
// or, where it does not, takes one between two files of this program's own beside them; they
// are renamed into place where it takes none.
void askTargetVolume(const char* folder);

