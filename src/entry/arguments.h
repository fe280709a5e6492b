// The argument text and the paths derived from the program's origin path.
#pragma once

#include <string.h>

enum SetupMode { MODE_WIZARD, MODE_COPY, MODE_RELAUNCH, MODE_UNINSTALL };

// The command line without the program name and the blanks (bytes 1 to 32) after it.
const char* argumentText(const char* commandLine);

// The mode chosen by the first character after one optional leading "/". For copy mode
// and the uninstall run, *rest is the text from the third character on ("" when shorter).
SetupMode selectMode(const char* arguments, const char** rest);

// The text after the relaunch's first word when that word is the form an Uninstall key's
// command holds: r or R after one optional "/", then nothing but decimal digits up to a blank
// or the end ("/r", "/r6", "R12"); only there may removal switches follow. Null for any other
// word ("/RUN", "/repair", "r6x"): the relaunch with its prompt, the rest of the line unread.
const char* removalSwitchesText(const char* arguments);

// Turns a program file name into the name of the manifest that program reads, in place:
// its last three bytes become "inf" (a name of one or two bytes becomes "inf"). A program
// name takes at most EXE_NAME_SIZE - 1 bytes: under a longer one the program does nothing.
inline void toManifestName(char* name)
{
    size_t length = strlen(name);
    memcpy(name + (length >= 3 ? length - 3 : 0), "inf", 4);
}

// baseDir, exeName, manifestName and manifestPath from the origin path. False, with the
// fields empty, when the path has no backslash or no file name after its last one, or
// when a derived name or path does not fit its buffer.
bool deriveOriginPaths(const char* originPath);
