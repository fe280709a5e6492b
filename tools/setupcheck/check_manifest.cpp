// The manifest checker's rules (see check_manifest.h). The manifest is parsed by the
// program's own INI rules (src/manifest/ini_text); everything else here follows what the
// program does with each entry.
#include "check_manifest.h"

#include "app/arguments.h"
#include "app/state.h"
#include "manifest/ini_text.h"
#include "util/text.h"

#include <map>
#include <set>

const char* const checkDestination = "C:\\Korval\\";

namespace {

enum { PATH_LIMIT = 259, COPY_MODE_LIMIT = 199 };

// The second byte of a well-formed Shift_JIS character.
bool isTrail932(unsigned char byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Position of the first ch on a character boundary (the program's search), or npos.
size_t findChar932(const std::string& text, char ch)
{
    const char* found = findChar(text.c_str(), ch);
    return found == nullptr ? std::string::npos : (size_t)(found - text.c_str());
}

std::string lower(std::string text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (isLeadByte((unsigned char)text[i]))
            ++i;                        // a trail byte is not a letter
        else if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = (char)(text[i] - 'A' + 'a');
    }
    return text;
}

// The path's parts between backslashes (or slashes), double-byte aware.
std::vector<std::string> pathParts(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 0; i < path.size(); ++i) {
        if (isLeadByte((unsigned char)path[i]) && i + 1 < path.size()) {
            part += path.substr(i, 2);
            ++i;
        } else if (path[i] == '\\' || path[i] == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += path[i];
        }
    }
    parts.push_back(part);
    return parts;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

struct Entry {
    unsigned line;
    std::string value;
};

struct Section {
    unsigned headerLine = 0;
    bool present = false;
    std::map<unsigned, Entry> entries;
};

class Checker {
public:
    explicit Checker(const CheckInput& input) : input_(input) {}

    std::vector<Finding> run()
    {
        checkEncoding(input_, &findings_);
        readSections();
        checkInstallEntries();
        checkFirstEntry();
        checkGroupEntries();
        checkProgramFile();
        return findings_;
    }

private:
    void warn(unsigned line, const std::string& text) { findings_.push_back({ line, false, text }); }
    void fail(unsigned line, const std::string& text) { findings_.push_back({ line, true, text }); }

    void readSections()
    {
        IniCursor cursor;
        iniStart(&cursor, input_.text.data(), input_.text.size());
        IniLine line;
        Section* current = nullptr;
        std::string currentName;
        std::map<std::string, unsigned> headers;
        while (iniNextLine(&cursor, &line)) {
            std::string name(line.name, line.nameLength);
            if (line.kind == INI_SECTION) {
                current = nullptr;
                bool install = iniNameIs(line.name, line.nameLength, "Install");
                bool group = iniNameIs(line.name, line.nameLength, "Group");
                auto seen = headers.find(lower(name));
                if (seen != headers.end()) {
                    if (install || group)
                        warn(line.number, "section [" + name + "] appears again (first at line " + std::to_string(seen->second)
                                              + "): the program reads only the first, so nothing in this one is read");
                    continue;
                }
                headers[lower(name)] = line.number;
                if (install || group) {
                    current = install ? &install_ : &group_;
                    currentName = install ? "Install" : "Group";
                    current->present = true;
                    current->headerLine = line.number;
                }
                continue;
            }
            if (line.kind != INI_KEY || current == nullptr)
                continue;
            unsigned number = iniEntryNumber(line.name, line.nameLength);
            if (number == 0) {
                if (name[0] == ';' || name[0] == '#')
                    continue;           // a comment line: a key nobody asks for
                bool numeric = name.find_first_not_of("+-0123456789") == std::string::npos;
                warn(line.number, "key " + quoted(name) + " in [" + currentName + "] is never read"
                                      + (numeric ? ": entries are numbered 1, 2, 3 ... without leading zeros or signs" : ""));
                continue;
            }
            auto first = current->entries.find(number);
            if (first != current->entries.end()) {
                warn(line.number, "entry " + std::to_string(number) + " of [" + currentName + "] appears again (first at line "
                                      + std::to_string(first->second.line) + "): the program reads the first");
                continue;
            }
            current->entries[number] = { line.number, std::string(line.value, line.valueLength) };
        }
    }

    // Entries after the one that ends the list are never read.
    void reportUnread(const Section& section, const char* name, unsigned end, const std::string& why)
    {
        for (const auto& entry : section.entries) {
            if (entry.first > end)
                warn(entry.second.line, "entry " + std::to_string(entry.first) + " of [" + name
                                            + "] is never read: the list ends at entry " + std::to_string(end) + why);
        }
    }

    void checkDestinationPart(unsigned line, const std::string& destination)
    {
        if (destination.empty()) {
            fail(line, "nothing follows the comma: the destination is the destination folder itself");
            return;
        }
        if (destination[0] == '\\' || destination[0] == '/')
            fail(line, "destination " + quoted(destination) + " begins with a backslash: it leaves the destination folder");
        else if (findChar932(destination, ':') != std::string::npos)
            fail(line, "destination " + quoted(destination) + " names a drive: it leaves the destination folder");
        else {
            for (const std::string& part : pathParts(destination)) {
                if (part == "..") {
                    fail(line, "destination " + quoted(destination) + " climbs out of the destination folder with \"..\"");
                    break;
                }
            }
        }
        size_t length = std::string(checkDestination).size() + destination.size();
        if (length > PATH_LIMIT)
            fail(line, "destination path " + quoted(checkDestination + destination) + " is " + std::to_string(length)
                           + " bytes under the default destination; the program handles at most 259");
    }

    void checkSource(unsigned line, const std::string& source)
    {
        bool drive = source.size() >= 2 && source[1] == ':';
        if (drive || source[0] == '\\' || source[0] == '/') {
            warn(line, "source " + quoted(source) + " is not relative to the setup folder: it must exist on the user's machine");
            return;
        }
        if (!input_.sourceExists(source))
            fail(line, "source " + quoted(source)
                           + " is missing beside the manifest: the installation would end with its error sentence");
    }

    void checkInstallEntries()
    {
        unsigned n = 1;
        for (;; ++n) {
            auto entry = install_.entries.find(n);
            if (entry == install_.entries.end())
                break;
            if (entry->second.value.empty()) {
                warn(entry->second.line, "entry " + std::to_string(n) + " of [Install] is empty: the list of install entries ends here");
                break;
            }
        }
        installCount_ = n - 1;
        reportUnread(install_, "Install", n, install_.entries.count(n) ? " (empty)" : " (missing)");
        installed_.insert(lower(input_.manifestName));
        for (const std::string& program : input_.programNames)
            installed_.insert(lower(program));

        for (unsigned i = 1; i <= installCount_; ++i) {
            const Entry& entry = install_.entries[i];
            const std::string& value = entry.value;
            if (i == COPY_MODE_LIMIT + 1)
                warn(entry.line, "entries from 200 on are not copied in copy mode, which copies entries 1 to 199");
            if (value.size() > PATH_LIMIT) {
                fail(entry.line, "value is " + std::to_string(value.size())
                                     + " bytes; the program reads at most 259 and installs nothing for this entry");
                continue;
            }
            size_t comma = findChar932(value, ',');
            std::string source = comma == std::string::npos ? value : value.substr(0, comma);
            std::string destination = comma == std::string::npos ? value : value.substr(comma + 1);
            checkDestinationPart(entry.line, destination);
            if (!source.empty())
                checkSource(entry.line, source);
            installed_.insert(lower(destination));
        }
    }

    void checkFirstEntry()
    {
        if (installCount_ == 0) {
            warn(install_.headerLine, "no install entry 1: Finish starts the destination folder itself with -Inst");
            return;
        }
        const Entry& first = install_.entries[1];
        if (first.value.size() > PATH_LIMIT)
            return;
        size_t comma = findChar932(first.value, ',');
        if (comma == std::string::npos)
            return;
        std::string source = first.value.substr(0, comma);
        std::string destination = first.value.substr(comma + 1);
        if (source.empty())
            warn(first.line, "entry 1 is a deletion: Finish starts the destination folder itself with -Inst");
        else if (lower(source) != lower(destination))
            warn(first.line, "Finish starts " + quoted(checkDestination + source) + " with -Inst, but entry 1 installs "
                                 + quoted(destination));
    }

    void checkGroupEntries()
    {
        unsigned n = 1;
        std::string why = " (missing)";
        for (;; ++n) {
            auto entry = group_.entries.find(n);
            if (entry == group_.entries.end())
                break;
            const Entry& e = entry->second;
            size_t comma = findChar932(e.value, ',');
            std::string ends = ": it is no entry, and the group list ends here";
            if (e.value.size() > PATH_LIMIT) {
                warn(e.line, "group value is " + std::to_string(e.value.size()) + " bytes, more than 259" + ends);
                why = " (too long)";
                break;
            }
            if (comma == std::string::npos) {
                warn(e.line, "group entry " + std::to_string(n) + " has no comma" + ends);
                why = " (no comma)";
                break;
            }
            if (comma == 0) {
                warn(e.line, "group entry " + std::to_string(n) + " has an empty link name" + ends);
                why = " (empty link name)";
                break;
            }
            std::string target = e.value.substr(comma + 1);
            if (std::string(checkDestination).size() + target.size() > PATH_LIMIT) {
                warn(e.line, "group target path is longer than 259 bytes under the default destination" + ends);
                why = " (too long)";
                break;
            }
            std::string file = target.substr(0, findChar932(target, ','));
            if (!installed_.count(lower(file)))
                warn(e.line, "group target " + quoted(file) + " is not installed by any install entry: its shortcut is not made");
        }
        reportUnread(group_, "Group", n, why);
    }

    void checkProgramFile()
    {
        std::string manifest = lower(input_.manifestName);
        bool found = false;
        for (const std::string& name : input_.programNames) {
            if (!input_.programGiven && (name.size() < 4 || lower(name.substr(name.size() - 4)) != ".exe"))
                continue;
            char reads[MANIFEST_NAME_SIZE];
            if (!manifestNameOf(name.c_str(), reads)) {
                if (input_.programGiven)
                    fail(0, "program file name " + quoted(name) + " is " + std::to_string(name.size())
                                + " bytes; the program does nothing under a name longer than "
                                + std::to_string(EXE_NAME_SIZE - 1) + " bytes");
                continue;
            }
            if (lower(reads) != manifest) {
                if (input_.programGiven)
                    fail(0, "program file " + quoted(name) + " reads " + quoted(reads) + ", not " + quoted(input_.manifestName));
                continue;
            }
            found = true;
        }
        if (!found && !input_.programGiven)
            warn(0, "no program file beside the manifest reads it: a program reads its own name with the last three "
                    "characters replaced by \"inf\" (SETUP.EXE reads SETUP.inf)");
    }

    const CheckInput& input_;
    std::vector<Finding> findings_;
    Section install_, group_;
    unsigned installCount_ = 0;
    std::set<std::string> installed_;
};

std::string hexByte(unsigned char byte)
{
    const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[byte >> 4] + digits[byte & 15];
}

// The text split into lines as the INI rules split it.
std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    IniCursor cursor;
    iniStart(&cursor, text.data(), text.size());
    IniLine line;
    while (iniNextLine(&cursor, &line)) {
        size_t end = line.offset;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        result.push_back(text.substr(line.offset, end - line.offset));
    }
    return result;
}

} // namespace

void checkEncoding(const CheckInput& input, std::vector<Finding>* findings)
{
    const std::string& bytes = input.bytes;
    const std::string mustBe = ": the manifest must be Shift_JIS text, which the program reads in the system code page";
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        findings->push_back({ 1, true, "the file begins with a UTF-8 byte-order mark" + mustBe });
        return;
    }
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        findings->push_back({ 1, true, "the file is UTF-16 text" + mustBe });
        return;
    }
    unsigned line = 1;
    bool wellFormed = true;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char byte = (unsigned char)bytes[i];
        if (byte == '\n' || (byte == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
        } else if (byte == 0) {
            findings->push_back({ line, true, "a NUL byte: the program's reading of this line ends there" });
            wellFormed = false;
        } else if (isLeadByte932(byte)) {
            if (i + 1 == bytes.size()) {
                findings->push_back({ line, true, "the file ends inside a double-byte character (" + hexByte(byte) + ")" });
                wellFormed = false;
            } else if (!isTrail932((unsigned char)bytes[i + 1])) {
                unsigned char next = (unsigned char)bytes[i + 1];
                bool lineEnd = next == '\r' || next == '\n';
                findings->push_back({ line, true, "bytes " + hexByte(byte) + " " + hexByte(next) + " are not a Shift_JIS character"
                                                      + (lineEnd ? ": the line end is read as part of it, which joins the next line to this one" : "") });
                wellFormed = false;
            } else {
                ++i;
            }
        } else if (byte == 0x80 || byte == 0xA0 || byte >= 0xFD) {
            findings->push_back({ line, true, "byte " + hexByte(byte) + " is not a Shift_JIS character" });
            wellFormed = false;
        }
    }
    if (!wellFormed)
        return;
    // well-formed codes that the code page leaves undefined, or defines twice, read as another text
    std::vector<std::string> written = lines(bytes), read = lines(input.text);
    for (size_t i = 0; i < written.size() && i < read.size(); ++i) {
        if (written[i] != read[i])
            findings->push_back({ (unsigned)(i + 1), false,
                                  "this line reads in code page 932 as " + quoted(read[i]) + ", not as written" });
    }
}

std::vector<Finding> checkManifest(const CheckInput& input)
{
    return Checker(input).run();
}
