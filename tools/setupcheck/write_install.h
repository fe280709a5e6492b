// The [Install] section written from a distribution folder: every file under the folder
// as one entry, and an existing manifest updated rather than replaced. Platform-free: the
// caller lists the folder and reads and writes the file.
#pragma once

#include "check_manifest.h"
#include "folder_access.h"

#include <string>
#include <vector>

struct InstallWriteInput {
    std::string manifestName;               // the manifest's file name
    std::vector<std::string> programNames;  // the program files that read it: left out with it
    std::string mainProgram;                // entry 1, relative to the folder (Shift_JIS)
    bool exists = false;                    // an existing manifest is updated
    std::string bytes, text;                // its bytes, and its text as the program reads it
    std::vector<FolderFile> files;          // every file under the folder
};

struct InstallWriteResult {
    // a line per file the program could not install as named, or why the manifest cannot
    // be updated: nothing may be written then
    std::vector<Finding> refused;
    std::vector<Finding> changes;           // what an update added, dropped or renumbered
    std::string bytes, text;                // the manifest to write, and as the program reads it
    unsigned entries = 0;
};

InstallWriteResult writeInstallSection(const InstallWriteInput& input);

// The order of new entries: folder by folder, a folder's files before its subfolders;
// names compare without regard to letter case, and a run of digits by its value.
bool entryOrderLess(const std::string& a, const std::string& b);
