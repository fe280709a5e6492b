// A profile (INI) file's whole text as the platform's profile reader sees it, in the ANSI
// code page: the program's manifest reads and the checker's Windows build share it.
#pragma once

#include <stddef.h>

// Reads the file and decodes it the way the profile reader does: by its byte-order mark
// (UTF-8, UTF-16 little- or big-endian), otherwise in codePage; the text is then put into
// codePage, so that a byte sequence the code page does not define reads as the reader
// reads it. The program passes CP_ACP (the reader's own code page); the checker passes
// 932, whatever the system it runs on. Null when the file cannot be read; release with
// freeProfileText.
char* readProfileText(const char* path, unsigned codePage, size_t* size);
void freeProfileText(char* text);
