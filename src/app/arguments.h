// The argument text and the paths derived from the program's origin path.
#pragma once

enum SetupMode { MODE_WIZARD, MODE_COPY, MODE_RELAUNCH, MODE_UNINSTALL };

// The command line without the program name and the blanks (bytes 1 to 32) after it.
const char* argumentText(const char* commandLine);

// The mode chosen by the first character after one optional leading "/". For copy mode
// and the uninstall run, *rest is the text from the third character on ("" when shorter).
SetupMode selectMode(const char* arguments, const char** rest);

// The name of the manifest a program file named exeName reads: the name with its last
// three bytes replaced by "inf" (a name of one or two bytes gives "inf"), into a
// MANIFEST_NAME_SIZE buffer. False, with manifestName empty, when exeName is longer than
// EXE_NAME_SIZE - 1 bytes: under such a name the program does nothing.
bool manifestNameOf(const char* exeName, char* manifestName);

// baseDir, exeName, manifestName and manifestPath from the origin path. False, with the
// fields empty, when the path has no backslash or no file name after its last one, or
// when a derived name or path does not fit its buffer.
bool deriveOriginPaths(const char* originPath);
