// The manifest checker's rules: what the program would make of a setup manifest and the
// folder beside it, as findings with the manifest's line numbers. Platform-free; the
// caller reads the file and answers questions about the folder.
#pragma once

#include "manifest/entry_rules.h"
#include "manifest/ini_text.h"

#include <functional>
#include <string>
#include <vector>

struct Finding {
    unsigned line;              // 0: the file as a whole
    bool error;                 // an error breaks the installation; a warning is a likely mistake
    std::string text;           // Shift_JIS, like the manifest
};

struct CheckInput {
    std::string bytes;          // the file as it is on disk
    std::string text;           // the file as the program reads it, in code page 932
    std::string manifestName;   // its file name
    // program files that should read this manifest: the one named by the vendor, or else
    // every file beside the manifest (programGiven false)
    std::vector<std::string> programNames;
    bool programGiven = false;
    // whether a source, relative to the manifest's folder, exists there as a file
    std::function<bool(const std::string& relative)> sourceExists;
};

// A name that may be a program file beside the manifest: one ending in ".exe".
bool isProgramFileName(const std::string& name);

// A source named as a path of the user's machine, not relative to the setup folder: with
// a drive, or a leading backslash or slash.
bool isMachinePath(const std::string& source);

// A file name as Windows compares it: ASCII letters without their case (a trail byte is
// not a letter).
std::string lower(std::string text);

// The path's parts between backslashes (or slashes), double-byte aware.
std::vector<std::string> pathParts(const std::string& path);

// The first section of a name as the program indexes it (iniIndexEntries).
struct SectionIndex {
    bool present = false;
    unsigned headerLine = 0;
    IniCursor start {};                 // just past the header
    std::vector<unsigned> lineOfEntry;
};

SectionIndex indexSection(const std::string& text, const char* name);

// Where the line the program reads for entry number begins; npos when there is none.
size_t entryOffset(const SectionIndex& index, unsigned number);

// The name of the manifest a program file of this name reads; "" when the program does
// nothing under the name (it is too long).
std::string manifestNameFor(const std::string& programName);

// The default destination the program proposes; composed paths are measured under it.
extern const char* const checkDestination;

// One numbered entry of [Install] or [Group] as the program reads it, under checkDestination.
struct EntryReading {
    unsigned number = 0;
    unsigned line = 0;              // the line the program reads it from
    ValueRead read = VALUE_ABSENT;
    std::string value;              // the value as the lookup gives it, however long
    std::string first;              // install: the source; group: the link name
    std::string rest;               // install: the destination part; group: the target part
    std::string target;             // checkDestination + rest; "" when it does not fit 259 bytes
    bool endsList = false;          // no entry: the list ends here
};

// The sections [Install] and [Group] as the program reads them: entries 1, 2, ... up to the
// first that is missing; the last one read may be the one that ends the list.
struct ManifestReading {
    unsigned installHeader = 0, groupHeader = 0;    // the header line of the section read; 0: none
    std::vector<EntryReading> install, group;
};

ManifestReading readManifestEntries(const std::string& text);

std::vector<Finding> checkManifest(const CheckInput& input);

// The encoding findings alone: byte-order marks, NUL bytes, byte sequences that are not
// Shift_JIS, and lines that read differently in code page 932 than they are written.
void checkEncoding(const CheckInput& input, std::vector<Finding>* findings);
