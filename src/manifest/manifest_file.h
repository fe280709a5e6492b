// The setup manifest read once and indexed by entry number.
#pragma once

#include "manifest/ini_text.h"

// The line of key formatKey(number) in section as the profile reader finds it; false when
// the file, the section or the key is absent.
bool findManifestEntry(const char* section, int number, IniLine* line);
