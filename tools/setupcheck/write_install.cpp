// Writing the [Install] section from a distribution folder (see write_install.h). The
// names are measured and split by the program's own rules; an update touches only the
// numbered lines of the [Install] section the program reads.
#include "write_install.h"

#include "app/state.h"
#include "util/text.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Names as a reader expects them in order: letter case aside, digits by their value, and
// the bytes decide between names that are otherwise alike.
int compareNames(const std::string& a, const std::string& b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            size_t ie = i, je = j;
            while (ie < a.size() && isDigit(a[ie]))
                ++ie;
            while (je < b.size() && isDigit(b[je]))
                ++je;
            std::string na = a.substr(i, ie - i), nb = b.substr(j, je - j);
            na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
            nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
            if (na.size() != nb.size())
                return na.size() < nb.size() ? -1 : 1;
            if (na != nb)
                return na < nb ? -1 : 1;
            i = ie;
            j = je;
            continue;
        }
        size_t la = isLeadByte((unsigned char)a[i]) && i + 1 < a.size() ? 2 : 1;
        size_t lb = isLeadByte((unsigned char)b[j]) && j + 1 < b.size() ? 2 : 1;
        std::string ca = lower(a.substr(i, la)), cb = lower(b.substr(j, lb));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        i += la;
        j += lb;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

// What Windows does not allow in a path of the folder; "" when it allows it.
std::string windowsNameProblem(const std::string& path)
{
    static const char* const devices[] = { "con", "prn", "aux", "nul", "com1", "com2", "com3", "com4", "com5", "com6",
                                           "com7", "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6",
                                           "lpt7", "lpt8", "lpt9" };
    for (const std::string& part : pathParts(path)) {
        for (size_t i = 0; i < part.size(); ++i) {
            unsigned char c = (unsigned char)part[i];
            if (isLeadByte(c)) {
                ++i;
                continue;
            }
            if (c < 0x20 || std::string("<>:\"|?*").find((char)c) != std::string::npos)
                return "has a character Windows does not allow in a file name";
        }
        // a blank or a dot is never a trail byte
        if (!part.empty() && (part.back() == ' ' || part.back() == '.'))
            return "ends in a blank or a dot, which Windows drops from a file name";
        std::string base = lower(part.substr(0, part.find('.')));
        for (const char* device : devices)
            if (base == device)
                return "is a device name on Windows";
    }
    return std::string();
}

// The value of an entry line "number=value" that reads back as value by the program's
// INI rules: as it is, or in quotes; "" when neither does.
std::string lineValue(const std::string& value)
{
    for (const std::string& written : { value, "\"" + value + "\"" }) {
        std::string line = "1=" + written;
        IniLine parsed;
        iniLineAt(line.data(), line.size(), 0, &parsed);
        if (parsed.kind == INI_KEY && std::string(parsed.value, parsed.valueLength) == value)
            return written;
    }
    return std::string();
}

// The source part of an install value (before its first comma).
std::string sourceOf(const std::string& value)
{
    const char* comma = findChar(value.c_str(), ',');
    return comma == nullptr ? value : value.substr(0, comma - value.c_str());
}

// The name an install value installs or deletes: its destination part, or else its source.
std::string targetOf(const std::string& value)
{
    const char* comma = findChar(value.c_str(), ',');
    return comma == nullptr ? value : std::string(comma + 1);
}

std::string folded(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');     // 0x2F is never a trail byte
    return lower(path);
}

// One numbered line of the [Install] section the program reads.
struct OldEntry {
    size_t offset;              // where its line begins
    size_t next;                // where the line after it begins
    unsigned line;
    unsigned number;
    IniLine parsed;
    bool read;                  // the line the program reads for its number
    bool kept = false;

    std::string value() const { return std::string(parsed.value, parsed.valueLength); }
};

// The new manifest built from the old one's bytes and text alike, so that the text stays
// what the program reads of the bytes.
struct Output {
    const InstallWriteInput& input;
    std::string bytes, text;

    void copy(size_t from, size_t to)
    {
        bytes.append(input.bytes, from, to - from);
        text.append(input.text, from, to - from);
    }
    void add(const std::string& line)
    {
        if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r')
            add1("\r\n");
        add1(line);
    }
    void add1(const std::string& piece)
    {
        bytes += piece;
        text += piece;
    }
    // The old line with its key replaced by number.
    void renumbered(const OldEntry& entry, unsigned number)
    {
        size_t name = entry.parsed.name - input.text.data();
        copy(entry.offset, name);
        add1(std::to_string(number));
        copy(name + entry.parsed.nameLength, entry.next);
    }
};

class Writer {
public:
    explicit Writer(const InstallWriteInput& input) : input_(input) {}

    InstallWriteResult run()
    {
        judgeFiles();
        if (input_.exists)
            readOldEntries();
        if (!result_.refused.empty())
            return result_;
        placeMainProgram();
        for (const std::string& path : candidates_)
            if (!listed_.count(folded(path)) && !installedOver(path))
                added_.push_back(path);
        compose();
        return result_;
    }

private:
    void refuse(unsigned line, const std::string& text) { result_.refused.push_back({ line, true, text }); }
    void note(const std::string& text) { result_.changes.push_back({ 0, false, text }); }

    static bool isTopLevel(const std::string& path) { return findChar(path.c_str(), '\\') == nullptr; }

    // The program file and its manifest, in any letter case: the program installs them.
    bool isLeftOut(const std::string& path) const { return isTopLevel(path) && ownNames_.count(lower(path)); }

    // Every file the program could not install as named is refused; the rest, but the
    // program and its manifest, are the candidates, in entry order.
    void judgeFiles()
    {
        ownNames_.insert(lower(input_.manifestName));
        for (const std::string& program : input_.programNames)
            ownNames_.insert(lower(program));
        // the manifests of other setup programs beside this one
        std::map<std::string, std::string> otherManifests;
        for (const FolderFile& file : input_.files) {
            const std::string& name = file.path;
            if (isTopLevel(name) && !isLeftOut(name) && isProgramFileName(name) && !manifestNameFor(name).empty())
                otherManifests[lower(manifestNameFor(name))] = name;
        }
        std::map<std::string, std::string> seen;
        std::vector<FolderFile> files = input_.files;
        std::sort(files.begin(), files.end(), [](const FolderFile& a, const FolderFile& b) { return a.path < b.path; });
        for (const FolderFile& file : files) {
            const std::string& path = file.path;
            inFolder_[folded(path)] = path;
            auto same = seen.emplace(lower(path), path);
            std::string problem = file.problem;
            auto other = otherManifests.find(isTopLevel(path) ? lower(path) : std::string());
            char target[PATH_SIZE];
            if (!problem.empty())
                ;
            else if (!same.second)
                problem = "names the same file on Windows as " + quoted(same.first->second) + " (letter case aside)";
            else if (isLeftOut(path))
                continue;
            else if (other != otherManifests.end())
                problem = "is named like the manifest of " + quoted(other->second) + " beside it, a setup program of another name";
            else if (!(problem = windowsNameProblem(path)).empty())
                ;
            else if (findChar(path.c_str(), ',') != nullptr)
                problem = "has a comma in its name, where the program splits an entry into source and destination";
            else if (!composeTarget(target, checkDestination, path.c_str()))
                problem = "is " + std::to_string(std::string(checkDestination).size() + path.size())
                          + " bytes under the default destination " + checkDestination + "; the program handles at most "
                          + std::to_string(PATH_SIZE - 1);
            else if (lineValue(path).empty())
                problem = "has a name the manifest cannot hold as a value";
            if (!problem.empty()) {
                refuse(0, quoted(path) + " " + problem + ": the program could not install it as named");
                continue;
            }
            candidates_.push_back(path);
        }
        std::sort(candidates_.begin(), candidates_.end(), entryOrderLess);
        std::string main = input_.mainProgram;
        std::replace(main.begin(), main.end(), '/', '\\');
        auto found = inFolder_.find(folded(main));
        if (found == inFolder_.end() || isLeftOut(found->second))
            refuse(0, "the main program " + quoted(main) + " is not a file in the folder");
        else
            mainPath_ = found->second;
    }

    // The numbered lines of the [Install] section the program reads: each entry whose
    // source is still in the folder is kept with its value, and so is a deletion and an
    // entry whose source lies outside the folder; the rest are dropped. A line the program
    // never reads is dropped when it repeats a number or holds nothing; one with a value
    // after the end of the list is refused, since renumbering it would make it an entry.
    void readOldEntries()
    {
        CheckInput check;
        check.bytes = input_.bytes;
        check.text = input_.text;
        std::vector<Finding> encoding;
        checkEncoding(check, &encoding);
        bool wellFormed = input_.bytes.size() == input_.text.size();
        for (const Finding& finding : encoding)
            wellFormed = wellFormed && !finding.error;
        if (!wellFormed) {
            for (const Finding& finding : encoding)
                if (finding.error)
                    refuse(finding.line, finding.text);
            refuse(0, "the manifest is not Shift_JIS text: it is left as it is");
            return;
        }
        section_ = indexSection(input_.text, "Install");
        if (!section_.present)
            return;
        std::vector<EntryReading> reading = readManifestEntries(input_.text).install;
        unsigned listEnd = (unsigned)reading.size() - (!reading.empty() && reading.back().endsList ? 1 : 0);
        IniCursor cursor = section_.start;
        IniLine line;
        while (iniNextLine(&cursor, &line) && line.kind != INI_SECTION) {
            unsigned number = line.kind == INI_KEY ? iniEntryNumber(line.name, line.nameLength) : 0;
            if (number != 0)
                old_.push_back({ line.offset, cursor.pos, line.number, number, line, entryOffset(section_, number) == line.offset });
        }
        std::vector<OldEntry*> byNumber;
        for (OldEntry& entry : old_) {
            if (entry.read)
                byNumber.push_back(&entry);
            else
                note("entry " + std::to_string(entry.number) + " at line " + std::to_string(entry.line)
                     + " appeared again and was never read: its line is dropped");
        }
        std::sort(byNumber.begin(), byNumber.end(), [](const OldEntry* a, const OldEntry* b) { return a->number < b->number; });
        for (OldEntry* entry : byNumber) {
            std::string value = entry->value();
            std::string source = sourceOf(value);
            // a source outside the folder is the vendor's own business
            std::vector<std::string> parts = pathParts(source);
            bool outside = isMachinePath(source) || std::find(parts.begin(), parts.end(), "..") != parts.end();
            if (value.empty()) {
                note("entry " + std::to_string(entry->number) + " was empty, which ended the list: its line is dropped");
                continue;
            }
            if (entry->number > listEnd) {
                refuse(entry->line, "entry " + std::to_string(entry->number) + " is never read: the list ends at entry "
                                        + std::to_string(listEnd + 1) + "; renumbering it would make the program read it, "
                                        "so number it into the list by hand or remove its line");
                continue;
            }
            if (!source.empty() && !outside && !inFolder_.count(folded(source))) {
                note("dropped entry " + std::to_string(entry->number) + " " + quoted(value) + ": its source is no longer in the folder");
                continue;
            }
            entry->kept = true;
            keptOrder_.push_back(entry);
            if (!source.empty())
                listed_.insert(folded(source));
        }
    }

    // A new file whose name a kept entry already installs or deletes (a renamed copy's
    // destination) is not added: added after it, it would undo what that entry does.
    bool installedOver(const std::string& path)
    {
        if (folded(path) == folded(mainPath_))
            return false;           // named by the vendor: placeMainProgram has its place
        for (const OldEntry* entry : keptOrder_)
            if (folded(targetOf(entry->value())) == folded(path)) {
                note("not added " + quoted(path) + ": entry " + std::to_string(entry->number) + " installs or deletes that name");
                return true;
            }
        return false;
    }

    // Entry 1 is the main program: its entry moves to the front, or a new one is made there.
    // Not past an entry of the same target, though: that would change which of the two the
    // installation ends with (a copy put before the deletion of its name installs the main
    // program and then deletes it). The main program keeps its place then, and a new entry
    // for it comes after the others, like every new file.
    void placeMainProgram()
    {
        size_t at = 0;
        while (at < keptOrder_.size() && folded(sourceOf(keptOrder_[at]->value())) != folded(mainPath_))
            ++at;
        std::string target = folded(at < keptOrder_.size() ? targetOf(keptOrder_[at]->value()) : mainPath_);
        for (size_t i = 0; i < at; ++i) {
            if (folded(targetOf(keptOrder_[i]->value())) != target)
                continue;
            std::string what = at < keptOrder_.size() ? "entry " + std::to_string(keptOrder_[at]->number) : quoted(mainPath_);
            note(what + ", the main program, is not made entry 1: entry " + std::to_string(keptOrder_[i]->number)
                 + " before it also installs or deletes " + quoted(targetOf(keptOrder_[i]->value()))
                 + ", and the two keep their order");
            return;
        }
        mainFirst_ = true;
        if (at < keptOrder_.size()) {
            mainEntry_ = keptOrder_[at];
            keptOrder_.erase(keptOrder_.begin() + at);
            if (at != 0 || mainEntry_->number != 1)
                note("entry " + std::to_string(mainEntry_->number) + ", the main program, is entry 1 now");
            return;
        }
        listed_.insert(folded(mainPath_));
        note("added " + quoted(mainPath_) + " as entry 1, the main program");
    }

    void compose()
    {
        Output out { input_, std::string(), std::string() };
        unsigned number = mainFirst_ ? 2 : 1;   // entry 1 is the main program's when it goes first
        // the kept entries keep their order: renumbered, each still comes after the same entries
        std::map<const OldEntry*, unsigned> numbers;
        for (const OldEntry* entry : keptOrder_)
            numbers[entry] = number++;
        auto mainLine = [&]() {
            if (!mainFirst_)
                return;
            if (mainEntry_ == nullptr) {
                out.add("1=" + lineValue(mainPath_) + "\r\n");
                return;
            }
            out.renumbered(*mainEntry_, 1);
            out.add("");            // the line moved from the end of the file gets its line end
        };
        auto newLines = [&]() {
            for (const std::string& path : added_) {
                note("added " + quoted(path) + " as entry " + std::to_string(number));
                out.add(std::to_string(number++) + "=" + lineValue(path) + "\r\n");
            }
        };
        if (!section_.present) {
            if (input_.exists)
                out.copy(0, input_.bytes.size());
            out.add("[Install]\r\n");
            mainLine();
            newLines();
        } else {
            out.copy(0, section_.start.pos);
            size_t at = section_.start.pos;
            const OldEntry* last = old_.empty() ? nullptr : &old_.back();
            if (old_.empty()) {
                mainLine();
                newLines();
            }
            for (const OldEntry& entry : old_) {
                out.copy(at, entry.offset);
                at = entry.next;
                if (&entry == &old_.front())
                    mainLine();
                if (entry.kept && &entry != mainEntry_)
                    out.renumbered(entry, numbers[&entry]);
                if (&entry == last)
                    newLines();
            }
            out.copy(at, input_.bytes.size());
        }
        result_.bytes = out.bytes;
        result_.text = out.text;
        result_.entries = number - 1;
    }

    const InstallWriteInput& input_;
    InstallWriteResult result_;
    std::set<std::string> ownNames_;                // the program's and its manifest's, in lower case
    std::map<std::string, std::string> inFolder_;   // every file, by its folded path
    std::vector<std::string> candidates_, added_;
    std::set<std::string> listed_;                  // folded sources of the entries kept
    std::string mainPath_;
    SectionIndex section_;
    std::vector<OldEntry> old_;
    std::vector<OldEntry*> keptOrder_;
    bool mainFirst_ = false;                        // the main program's entry is made entry 1
    OldEntry* mainEntry_ = nullptr;                 // the kept entry moved there, if any
};

} // namespace

bool entryOrderLess(const std::string& a, const std::string& b)
{
    std::vector<std::string> pa = pathParts(a), pb = pathParts(b);
    for (size_t i = 0;; ++i) {
        bool aFile = i + 1 == pa.size(), bFile = i + 1 == pb.size();
        if (aFile != bFile)
            return aFile;               // a folder's files come before its subfolders
        int order = compareNames(pa[i], pb[i]);
        if (order != 0 || aFile)
            return order < 0;
    }
}

InstallWriteResult writeInstallSection(const InstallWriteInput& input)
{
    return Writer(input).run();
}
