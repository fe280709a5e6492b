// The text work of copy mode, free of platform calls: splitting the argument text and
// composing the paths of the copy. Every composition refuses rather than cuts, since a
// cut path names another file.
#pragma once

#include <stddef.h>

// The working buffer for the argument text: 519 bytes and the terminator.
enum { COPY_ARGUMENTS_SIZE = 520 };

// Install entries 1 to 199 are copied; entry 200 and later are never read.
enum { COPY_ENTRY_LIMIT = 200 };

struct CopyArguments {
    char* linkName;     // the desktop shortcut's name, without ".lnk"
    char* target;       // relative to the destination folder; a comma starts its arguments
    char* folder;       // the rest: the destination folder, which may itself hold "/"
};

// Splits text in place at its first two "/" (double-byte aware). False, with text
// unchanged, when it has fewer than two.
bool splitCopyArguments(char* text, CopyArguments* parts);

// True for a path that names the same folder whatever the current directory is:
// a drive letter, ":" and a separator, or two leading separators (a network path).
bool isFullPath(const char* path);

// True when the text ends in a lead byte without its trail byte: what a text cut inside
// a double-byte character looks like.
bool endsInLoneLeadByte(const char* text);

// folder, a backslash unless folder already ends in one (a trail byte 0x5C is not one),
// then name. False, with dst empty, when the whole does not fit dstSize.
bool joinFolderAndName(char* dst, size_t dstSize, const char* folder, const char* name);

// The part of a raw install value that copy mode copies: the text after its first comma,
// or the whole value when it has none.
char* copiedName(char* value);
