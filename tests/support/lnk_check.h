// Test support: the Linux side of Wine, seen from a test inside it: Unix paths, shell
// scripts, and what an independent reader (lnkinfo) finds in a .lnk file.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// The Unix path of a Windows path, or "" outside Wine.
std::string unixPathOf(const std::string& windowsPath);

// Runs a shell script on the Unix side and waits (bounded) until it has ended. Its
// standard output and error go into *output when given. The exit status, or -1.
int runUnixScript(const std::string& script, std::string* output = nullptr, DWORD timeoutMs = 20000);

struct LinkContents {
    bool read = false;          // lnkinfo ran and read the file
    std::string target;         // local path
    std::string arguments;
    std::string workingDirectory;
    std::string report;         // the whole report, for failure messages
};

// path: the .lnk file's Windows path. Strings come back in the ANSI code page.
LinkContents readLinkWithLnkinfo(const std::string& path);

// The .lnk exists, and lnkinfo reads exactly this target, these arguments and this
// working directory from it.
::testing::AssertionResult linkIs(const std::string& link, const std::string& target, const std::string& arguments,
                                  const std::string& workingDirectory);
