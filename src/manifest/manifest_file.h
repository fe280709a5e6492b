// The setup manifest read once and indexed by entry number.
#pragma once

#include "manifest/ini_text.h"

// The manifest's two sections; passed as these very texts, they are found by their index.
extern const char installSection[];
extern const char groupSection[];

// The line of key formatKey(number) in section as the profile reader finds it; false when
// the file, the section or the key is absent.
bool findManifestEntry(const char* section, int number, IniLine* line);
