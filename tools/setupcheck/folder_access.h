// What the checker needs of the file system, for Linux and for Windows: the manifest's
// bytes, whether a source exists beside it, the names of the files there and under it,
// writing the manifest, and how a Shift_JIS text is shown on this system's terminal.
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

// A name given on the command line, in Shift_JIS.
std::string fromCommandLine(const std::string& text);

struct FolderFile {
    std::string path;       // relative to the folder, Shift_JIS, with backslashes; a character
                            // Shift_JIS cannot hold is shown as <U+XXXX>
    std::string problem;    // why the program could not install it as named ("" when it can)
};

// Every file under the folder, in its folders' order. A folder that is a link is not
// walked, and a folder whose name Shift_JIS cannot hold neither: each comes as one entry
// with its problem.
std::vector<FolderFile> filesUnder(const std::string& folder);

// Writes the file whole: into a file beside it, then moved over it in one step, so that
// a failure leaves the old file. False, with the reason in *why, when that fails.
bool writeFileBytes(const std::string& path, const std::string& bytes, std::string* why);
