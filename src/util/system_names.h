// Names and paths the system gives in UTF-16, made into ANSI-code-page text that names the
// same file. A character the code page cannot hold becomes "?" (never a look-alike, which
// would name another file), and then the short (8.3) name stands in, which the code page
// holds. "?" is never part of a file name, so a name holding one is never acted on.
#pragma once

#include "app/platform.h"

#include <stddef.h>

#ifdef _WIN32
// The path itself where it converts exactly, else its short form; false when neither names
// it in the code page (the short form of a missing path, or short names turned off).
bool ansiPath(const WCHAR* widePath, char* path, size_t size);

// FindFirstFileA and FindNextFileA, with cFileName the long name where it converts exactly,
// else the short name; with neither, the long name with "?" (see nameIsExact). realName, when
// given (MAX_PATH bytes), gets the long name, every character the code page cannot hold as
// "?": the real name's extension and look, for what is decided and shown on the name, while
// cFileName is what the file is acted on by.
void entryInAnsi(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA* found, char* realName = nullptr);
HANDLE findFirstEntry(const char* pattern, WIN32_FIND_DATAA* found, char* realName = nullptr);
BOOL findNextEntry(HANDLE search, WIN32_FIND_DATAA* found, char* realName = nullptr);

// False for a name or path with a character that stood for one the code page cannot hold.
bool nameIsExact(const char* name);
#endif
