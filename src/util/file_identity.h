// Whether two paths, or a path and an open file, name the same file or folder: told by the
// identity the system gives it (its volume and its index there), not by the text of the
// paths, which may be spelled in many ways (letter case, short names, another drive letter).
#pragma once

#include "app/platform.h"

#ifdef _WIN32
// The file or folder at path opened for its attributes and identity alone, every sharing
// allowed: it keeps no one else from anything.
HANDLE openForIdentity(const char* path);
// True when path names the file or folder open as file.
bool isOpenFile(const char* path, HANDLE file);
// True when both paths exist and name the same file or folder.
bool sameFile(const char* first, const char* second);
#endif
