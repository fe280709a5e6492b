// Test support: what an independent reader (Linux lnkinfo, run from inside Wine) finds
// in a .lnk file: target, arguments and working directory.
#pragma once

#include <string>

struct LinkContents {
    bool read = false;          // lnkinfo ran and read the file
    std::string target;         // local path
    std::string arguments;
    std::string workingDirectory;
    std::string report;         // the whole report, for failure messages
};

// path: the .lnk file's Windows path. Strings come back in code page 932 bytes.
LinkContents readLinkWithLnkinfo(const std::string& path);
