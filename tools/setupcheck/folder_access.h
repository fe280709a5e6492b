// What the checker needs of the file system, for Linux and for Windows: the manifest's
// bytes, whether a source exists beside it, the names of the files there, and how a
// Shift_JIS text is shown on this system's terminal.
#pragma once

#include <string>
#include <vector>

// False, with the reason in *why, when the file cannot be read.
bool readFileBytes(const std::string& path, std::string* bytes, std::string* why);

// Whether folder + relative (Shift_JIS, backslashes) is a file. Letter case does not
// matter, as on Windows.
bool sourceExists(const std::string& folder, const std::string& relative);

// The names of the files in the folder, in Shift_JIS.
std::vector<std::string> filesIn(const std::string& folder);

// The Shift_JIS text as the terminal shows it (UTF-8 on Linux).
std::string forDisplay(const std::string& text);
