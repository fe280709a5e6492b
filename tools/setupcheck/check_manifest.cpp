// The manifest checker (see check_manifest.h). The program's own rules, from src/, read
// the manifest and each entry (INI lines, the entry index, the value, comma and target
// rules, the manifest name, the limits); what is here is the checker's own: which of
// that to report, and what Windows makes of a path.
#include "check_manifest.h"

#include "app/arguments.h"
#include "app/state.h"
#include "copymode/copy_paths.h"
#include "manifest/ini_text.h"
#include "util/text.h"

#include <string.h>

#include <algorithm>
#include <map>
#include <set>

const char* const checkDestination = "C:\\Korval\\";

namespace {

const size_t PATH_LIMIT = PATH_SIZE - 1;

// The second byte of a well-formed Shift_JIS character.
bool isTrail932(unsigned char byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The line numbers of the text by where each line begins.
std::map<size_t, unsigned> lineNumbers(const std::string& text)
{
    std::map<size_t, unsigned> numbers;
    IniCursor cursor;
    iniStart(&cursor, text.data(), text.size());
    IniLine line;
    while (iniNextLine(&cursor, &line))
        numbers[line.offset] = line.number;
    return numbers;
}

// Entries 1, 2, ... of a section as the program reads them, until one is missing.
std::vector<EntryReading> readEntries(const std::string& text, const SectionIndex& index, bool group,
                                      const std::map<size_t, unsigned>& lines)
{
    std::vector<EntryReading> entries;
    for (unsigned n = 1;; ++n) {
        size_t offset = entryOffset(index, n);
        if (offset == std::string::npos)
            break;
        IniLine line;
        iniLineAt(text.data(), text.size(), offset, &line);
        EntryReading entry;
        entry.number = n;
        entry.line = lines.at(offset);
        entry.value.assign(line.value, line.valueLength);
        char value[PATH_SIZE], target[PATH_SIZE];
        entry.read = takeEntryValue(line, value);
        entry.endsList = group ? endsGroupList(entry.read, value) : entry.read == VALUE_ABSENT;
        if (entry.read == VALUE_READ && !entry.endsList) {
            char* rest = group ? cutAtComma(value) : splitInstallValue(value);
            entry.first = value;
            entry.rest = rest;
            if (composeTarget(target, checkDestination, rest))
                entry.target = target;
        }
        entries.push_back(entry);
        if (entry.endsList)
            break;
    }
    return entries;
}

class Checker {
public:
    explicit Checker(const CheckInput& input)
        : input_(input), install_(indexSection(input.text, "Install")), group_(indexSection(input.text, "Group")),
          lines_(lineNumbers(input.text)), reading_(readManifestEntries(input.text))
    {
    }

    std::vector<Finding> run()
    {
        checkEncoding(input_, &findings_);
        reportUnreadLines();
        checkProgramFile();
        checkInstallEntries();
        checkFirstEntry();
        checkGroupEntries();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return findings_;
    }

private:
    void warn(unsigned line, const std::string& text) { findings_.push_back({ line, false, text }); }
    void fail(unsigned line, const std::string& text) { findings_.push_back({ line, true, text }); }

    static unsigned listEnd(const std::vector<EntryReading>& entries)
    {
        return entries.empty() || !entries.back().endsList ? (unsigned)entries.size() + 1 : entries.back().number;
    }

    static std::string whyListEnds(const std::vector<EntryReading>& entries, bool group)
    {
        if (entries.empty() || !entries.back().endsList)
            return " (missing)";
        const EntryReading& last = entries.back();
        if (last.read == VALUE_ABSENT)
            return " (empty)";
        if (last.read == VALUE_TOO_LONG)
            return " (too long)";
        if (!group)
            return "";
        return last.value[0] == ',' ? " (empty link name)" : " (no comma)";
    }

    // Lines of [Install] and [Group] that the program never reads: repeated sections,
    // keys that are no entry number, repeated entries and entries after the list's end.
    void reportUnreadLines()
    {
        IniCursor cursor;
        iniStart(&cursor, input_.text.data(), input_.text.size());
        IniLine line;
        const SectionIndex* current = nullptr;
        const char* currentName = nullptr;
        unsigned end = 0;
        std::string why;
        while (iniNextLine(&cursor, &line)) {
            std::string name(line.name, line.nameLength);
            if (line.kind == INI_SECTION) {
                current = nullptr;
                bool install = iniNameIs(line.name, line.nameLength, "Install");
                if (!install && !iniNameIs(line.name, line.nameLength, "Group"))
                    continue;
                const SectionIndex& section = install ? install_ : group_;
                if (line.number != section.headerLine) {
                    warn(line.number, "section [" + name + "] appears again (first at line " + std::to_string(section.headerLine)
                                          + "): the program reads only the first, so nothing in this one is read");
                    continue;
                }
                current = &section;
                currentName = install ? "Install" : "Group";
                const std::vector<EntryReading>& entries = install ? reading_.install : reading_.group;
                end = listEnd(entries);
                why = whyListEnds(entries, !install);
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
            size_t first = entryOffset(*current, number);
            if (first != line.offset)
                warn(line.number, "entry " + std::to_string(number) + " of [" + currentName + "] appears again (first at line "
                                      + std::to_string(lines_.at(first)) + "): the program reads the first");
            else if (number > end)
                warn(line.number, "entry " + std::to_string(number) + " of [" + currentName
                                      + "] is never read: the list ends at entry " + std::to_string(end) + why);
        }
    }

    void checkDestinationPart(unsigned line, const std::string& destination, bool fits)
    {
        if (destination.empty()) {
            fail(line, "nothing follows the comma: the destination is the destination folder itself");
            return;
        }
        if (destination[0] == '\\' || destination[0] == '/')
            fail(line, "destination " + quoted(destination) + " begins with a backslash: it leaves the destination folder");
        else if (findChar(destination.c_str(), ':') != nullptr)
            fail(line, "destination " + quoted(destination) + " names a drive: it leaves the destination folder");
        else {
            for (const std::string& part : pathParts(destination)) {
                if (part == "..") {
                    fail(line, "destination " + quoted(destination) + " climbs out of the destination folder with \"..\"");
                    break;
                }
            }
        }
        if (!fits)
            fail(line, "destination path " + quoted(checkDestination + destination) + " is "
                           + std::to_string(std::string(checkDestination).size() + destination.size())
                           + " bytes under the default destination; the program handles at most " + std::to_string(PATH_LIMIT));
    }

    void checkSource(unsigned line, const std::string& source)
    {
        if (isMachinePath(source)) {
            warn(line, "source " + quoted(source) + " is not relative to the setup folder: it must exist on the user's machine");
            return;
        }
        if (!input_.sourceExists(source))
            fail(line, "source " + quoted(source)
                           + " is missing beside the manifest: the installation would end with its error sentence");
    }

    void checkInstallEntries()
    {
        for (const EntryReading& entry : reading_.install) {
            if (entry.endsList) {
                warn(entry.line, "entry " + std::to_string(entry.number) + " of [Install] is empty: the list of install entries ends here");
                break;
            }
            if (entry.number == COPY_ENTRY_LIMIT)
                warn(entry.line, "entries from " + std::to_string(COPY_ENTRY_LIMIT) + " on are not copied in copy mode, "
                                     "which copies entries 1 to " + std::to_string(COPY_ENTRY_LIMIT - 1));
            if (entry.read == VALUE_TOO_LONG) {
                fail(entry.line, "value is " + std::to_string(entry.value.size()) + " bytes; the program reads at most "
                                     + std::to_string(PATH_LIMIT) + " and installs nothing for this entry");
                continue;
            }
            checkDestinationPart(entry.line, entry.rest, !entry.target.empty());
            if (!entry.first.empty())
                checkSource(entry.line, entry.first);
            installed_.insert(lower(entry.rest));
        }
    }

    void checkFirstEntry()
    {
        if (reading_.install.empty() || reading_.install[0].endsList) {
            warn(install_.headerLine, "no install entry 1: Finish starts the destination folder itself with -Inst");
            return;
        }
        const EntryReading& first = reading_.install[0];
        if (first.read == VALUE_TOO_LONG)
            return;
        if (first.first.empty())
            warn(first.line, "entry 1 is a deletion: Finish starts the destination folder itself with -Inst");
        else if (lower(first.first) != lower(first.rest))
            warn(first.line, "Finish starts " + quoted(checkDestination + first.first) + " with -Inst, but entry 1 installs "
                                 + quoted(first.rest));
    }

    void checkGroupEntries()
    {
        for (const EntryReading& e : reading_.group) {
            std::string ends = ": it is no entry, and the group list ends here";
            std::string n = std::to_string(e.number);
            if (e.read == VALUE_TOO_LONG)
                warn(e.line, "group value is " + std::to_string(e.value.size()) + " bytes, more than " + std::to_string(PATH_LIMIT) + ends);
            else if (e.read == VALUE_ABSENT)
                warn(e.line, "group entry " + n + " is empty" + ends);
            else if (e.endsList)
                warn(e.line, "group entry " + n + (e.value[0] == ',' ? " has an empty link name" : " has no comma") + ends);
            if (e.endsList)
                break;
            if (e.target.empty()) {
                warn(e.line, "group target path is longer than " + std::to_string(PATH_LIMIT) + " bytes under the default "
                             "destination: the program makes no shortcut for this entry"
                             + std::string(e.number == 1 ? " (nor the desktop's)" : "") + " and goes on with the next");
                continue;
            }
            char file[PATH_SIZE];
            textCopy(file, sizeof file, e.rest.c_str());
            cutAtComma(file);           // the arguments are not part of the target
            if (!installed_.count(lower(file)))
                warn(e.line, "group target " + quoted(file) + " is not installed by any install entry: its shortcut is not made");
        }
    }
    // The program files that read this manifest; they install themselves and it.
    void checkProgramFile()
    {
        std::string manifest = lower(input_.manifestName);
        for (const std::string& name : input_.programNames) {
            if (!input_.programGiven && !isProgramFileName(name))
                continue;
            std::string reads = manifestNameFor(name);
            if (reads.empty()) {
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
            installed_.insert(lower(name));
            installed_.insert(manifest);
        }
        if (installed_.empty() && !input_.programGiven)
            warn(0, "no program file beside the manifest reads it: a program reads its own name with the last three "
                    "characters replaced by \"inf\" (SETUP.EXE reads SETUP.inf)");
    }

    const CheckInput& input_;
    SectionIndex install_, group_;
    std::map<size_t, unsigned> lines_;
    ManifestReading reading_;
    std::vector<Finding> findings_;
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

bool isProgramFileName(const std::string& name)
{
    return name.size() > 4 && lower(name.substr(name.size() - 4)) == ".exe";
}

bool isMachinePath(const std::string& source)
{
    return (source.size() >= 2 && source[1] == ':') || (!source.empty() && (source[0] == '\\' || source[0] == '/'));
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

SectionIndex indexSection(const std::string& text, const char* name)
{
    SectionIndex index;
    if (!iniFindSection(&index.start, text.data(), text.size(), name))
        return index;
    index.present = true;
    size_t pos = index.start.pos;
    // the cursor counts the header's line end, when it has one
    index.headerLine = index.start.line - (pos > 0 && (text[pos - 1] == '\n' || text[pos - 1] == '\r') ? 1 : 0);
    index.lineOfEntry.assign(iniIndexEntries(index.start, nullptr, 0) + 1, 0);
    iniIndexEntries(index.start, index.lineOfEntry.data(), (unsigned)index.lineOfEntry.size());
    return index;
}

// Where the line the program reads for entry number begins, or npos.
size_t entryOffset(const SectionIndex& index, unsigned number)
{
    if (!index.present)
        return std::string::npos;
    if (number < index.lineOfEntry.size())
        return index.lineOfEntry[number] == 0 ? std::string::npos : index.lineOfEntry[number] - 1;
    // beyond what the section's lines can number: a scan, as the program's lookup does
    IniCursor cursor = index.start;
    IniLine line;
    return iniFindKeyInSection(&cursor, formatKey(number), &line) ? line.offset : std::string::npos;
}

std::string manifestNameFor(const std::string& programName)
{
    if (programName.size() >= EXE_NAME_SIZE)
        return std::string();
    char name[EXE_NAME_SIZE];
    memcpy(name, programName.c_str(), programName.size() + 1);
    toManifestName(name);
    return name;
}

ManifestReading readManifestEntries(const std::string& text)
{
    ManifestReading reading;
    std::map<size_t, unsigned> lines = lineNumbers(text);
    SectionIndex install = indexSection(text, "Install"), group = indexSection(text, "Group");
    reading.installHeader = install.headerLine;
    reading.groupHeader = group.headerLine;
    reading.install = readEntries(text, install, false, lines);
    reading.group = readEntries(text, group, true, lines);
    return reading;
}

std::vector<Finding> checkManifest(const CheckInput& input)
{
    return Checker(input).run();
}
