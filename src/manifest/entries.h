// Readers of the setup manifest's numbered entries. Each read leaves its parsed form in
// setup.entryValue, setup.entryTarget and setup.targetTail until the next read.
#pragma once

#include "manifest/entry_rules.h"

// Install entry n (-1: the program itself, 0: the manifest, 1..: section "Install").
// 1 when an entry was produced, 0 when the value is empty or absent. A value or target
// that does not fit 259 bytes is still an entry, with an empty entryTarget.
int loadInstallEntry(int number);

// Group entry n (section "Group"); entryValue is empty when there is none.
void loadGroupEntry(int number);

// Reads key formatKey(number) of section into a PATH_SIZE buffer. A value longer than
// 259 bytes is not cut: it leaves the buffer empty and reads as VALUE_TOO_LONG.
// The manifest is read at the first call and kept (a later change of the file is not seen).
ValueRead readManifestValue(const char* section, int number, char* buffer);
