// Fuzz target for the rebuilt [Rename] section: arbitrary bytes as the section's lines as
// the profile reader lists them, an arbitrary path and work areas of every size. The result
// is either nothing or exactly: the header, every old line in order, one new line.
#include "fuzz_check.h"
#include "uninstall/rename_section.h"

#include <stdint.h>
#include <string.h>

#include <vector>

// The old lines as the profile reader's list gives them: up to an empty line or the end.
static std::vector<std::string> listedLines(const std::string& list)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < list.size() && list[at] != 0) {
        size_t end = list.find('\0', at);
        if (end == std::string::npos)
            end = list.size();
        lines.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

static bool holdsLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    // byte 0: length of the path; byte 1: the work area, full or small; byte 2: how often
    // the list is repeated, so that short inputs reach the 30,000-byte limit
    size_t pathLength = data[0] < size - 3 ? data[0] : size - 3;
    std::string path((const char*)data + 3, pathLength);
    path = path.substr(0, path.find('\0'));
    size_t sectionSize = data[1] >= 128 ? RENAME_AREA_SIZE : (size_t)data[1] * 64 + 1;
    std::string unit((const char*)data + 3 + pathLength, size - 3 - pathLength);
    std::string list;
    for (int i = 0; i <= data[2] && list.size() < 2 * RENAME_AREA_SIZE; ++i)
        list += unit;

    char* section = (char*)malloc(sectionSize);     // exact size: ASan sees any write past it
    size_t used = composeRenameSection(section, sectionSize, list.data(), list.size(), path.c_str());
    CHECK(used <= sectionSize);

    std::vector<std::string> old = listedLines(list);
    std::string expected = "[Rename]\r\n";
    bool refused = holdsLineBreak(path);
    for (const std::string& line : old) {
        refused = refused || holdsLineBreak(line);
        expected += line + "\r\n";
        refused = refused || expected.size() > RENAME_SECTION_LIMIT;
    }
    expected += "NUL=" + path + "\r\n";
    refused = refused || expected.size() > sectionSize;

    if (refused) {
        CHECK(used == 0);
    } else {
        std::string result(section, used);
        CHECK(result == expected);
        // the same, as the properties a reader of the file relies on: split at CR LF, the
        // header, every old line in order, exactly one new line, and nothing else
        std::vector<std::string> read;
        for (size_t at = 0; at < result.size();) {
            size_t end = result.find("\r\n", at);
            CHECK(end != std::string::npos);
            read.push_back(result.substr(at, end - at));
            at = end + 2;
        }
        CHECK(read.size() == old.size() + 2);
        CHECK(read.front() == "[Rename]");
        for (size_t i = 0; i < old.size(); ++i)
            CHECK(read[i + 1] == old[i]);
        CHECK(read.back() == "NUL=" + path);
        CHECK(used - 6 - path.size() - 4 <= RENAME_SECTION_LIMIT);
    }
    free(section);
    return 0;
}
