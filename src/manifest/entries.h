// Readers of the setup manifest's numbered entries. Each read leaves its parsed form in
// setup.entryValue, setup.entryTarget and setup.targetTail until the next read.
#pragma once

// Install entry n (-1: the program itself, 0: the manifest, 1..: section "Install").
// 1 when an entry was produced, 0 when the value is empty or absent. A value or target
// that does not fit 259 bytes is still an entry, with an empty entryTarget.
int loadInstallEntry(int number);

// Group entry n (section "Group"); entryValue is empty when there is none.
void loadGroupEntry(int number);

// The parsing halves of the readers, working on the value already in setup.entryValue.
void splitInstallEntry(bool valueFits);
void splitGroupEntry(bool valueFits);

// True for a group value that is an entry: a link name that is not empty, then a comma.
bool isGroupEntry(const char* value);

enum ValueRead { VALUE_ABSENT, VALUE_READ, VALUE_TOO_LONG };

// Reads key formatKey(number) of section into a PATH_SIZE buffer. A value longer than
// 259 bytes is not cut: it leaves the buffer empty and reads as VALUE_TOO_LONG.
// The manifest is read at the first call and kept (a later change of the file is not seen).
ValueRead readManifestValue(const char* section, int number, char* buffer);

// The line of key formatKey(number) in section as the profile reader finds it; false when
// the file, the section or the key is absent.
struct IniLine;
bool findManifestEntry(const char* section, int number, IniLine* line);
