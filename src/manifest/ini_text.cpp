// The profile reader's line rules over ANSI text (see ini_text.h).
#include "manifest/ini_text.h"

#include "util/text.h"

// The blanks the profile reader drops around names and values: ASCII white space and the
// end-of-file mark 0x1A. A full-width blank (0x81 0x40) and 0xA0 are text.
static bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

static bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

static size_t lengthToNul(const char* text, size_t length)
{
    size_t n = 0;
    while (n < length && text[n] != 0)
        ++n;
    return n;
}

void iniStart(IniCursor* cursor, const char* text, size_t size)
{
    cursor->text = text;
    cursor->size = size;
    cursor->pos = 0;
    cursor->line = 1;
}

// The last "]" of a header that is a character of its own: a trail byte 0x5D is not one.
static const char* lastClosingBracket(const char* begin, const char* end)
{
    const char* found = nullptr;
    for (const char* p = begin; p < end; ++p) {
        if (*p == ']')
            found = p;
        else if (isLeadByte((unsigned char)*p) && p + 1 < end)
            ++p;
    }
    return found;
}

static void parseLine(const char* begin, const char* end, IniLine* line)
{
    line->kind = INI_BLANK;
    line->name = line->value = begin;
    line->nameLength = line->valueLength = 0;
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    if (begin == end)
        return;
    if (*begin == '[') {
        const char* close = lastClosingBracket(begin + 1, end);
        if (close != nullptr) {
            const char* name = begin + 1;
            while (name < close && isBlank(*name))
                ++name;
            while (close > name && isBlank(close[-1]))
                --close;
            line->kind = INI_SECTION;
            line->name = name;
            line->nameLength = lengthToNul(name, close - name);
            return;
        }
        // "[" without "]" is read as a key line
    }
    line->kind = INI_KEY;
    line->name = begin;
    // "=" (0x3D) is never a trail byte
    const char* equals = begin;
    while (equals < end && *equals != '=')
        ++equals;
    const char* nameEnd = equals;
    while (nameEnd > begin && isBlank(nameEnd[-1]))
        --nameEnd;
    line->nameLength = lengthToNul(begin, nameEnd - begin);
    if (equals == end)
        return;
    const char* value = equals + 1;
    while (value < end && isBlank(*value))
        ++value;
    size_t length = lengthToNul(value, end - value);
    if (length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0]) {
        ++value;
        length -= 2;
    }
    line->value = value;
    line->valueLength = length;
}

bool iniNextLine(IniCursor* cursor, IniLine* line)
{
    if (cursor->pos >= cursor->size)
        return false;
    const char* text = cursor->text;
    size_t begin = cursor->pos;
    size_t end = begin;
    while (end < cursor->size && !isLineEnd(text[end]))
        ++end;
    parseLine(text + begin, text + end, line);
    line->offset = begin;
    line->number = cursor->line;
    cursor->pos = end;
    if (end < cursor->size) {
        // CR LF is one line end; CR alone and LF alone are one each
        cursor->pos = end + ((text[end] == '\r' && end + 1 < cursor->size && text[end + 1] == '\n') ? 2 : 1);
        ++cursor->line;
    }
    return true;
}

void iniLineAt(const char* text, size_t size, size_t offset, IniLine* line)
{
    size_t end = offset;
    while (end < size && !isLineEnd(text[end]))
        ++end;
    parseLine(text + offset, text + end, line);
    line->offset = offset;
}

static char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

bool iniNameIs(const char* name, size_t length, const char* asked)
{
    while (*asked != 0 && isBlank(*asked))
        ++asked;
    size_t askedLength = 0;
    while (asked[askedLength] != 0)
        ++askedLength;
    while (askedLength > 0 && isBlank(asked[askedLength - 1]))
        --askedLength;
    if (askedLength != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (isLeadByte((unsigned char)name[i]) && i + 1 < length) {
            // a double-byte character compares exactly: its trail byte may look like a letter
            if (name[i] != asked[i] || name[i + 1] != asked[i + 1])
                return false;
            ++i;
        } else if (lowerAscii(name[i]) != lowerAscii(asked[i])) {
            return false;
        }
    }
    return true;
}

bool iniFindSection(IniCursor* cursor, const char* text, size_t size, const char* section)
{
    iniStart(cursor, text, size);
    if (iniNameIs("", 0, section))
        return true;                // the unnamed section comes before every header
    IniLine line;
    while (iniNextLine(cursor, &line)) {
        if (line.kind == INI_SECTION && iniNameIs(line.name, line.nameLength, section))
            return true;
    }
    return false;
}

bool iniFindKeyInSection(IniCursor* cursor, const char* key, IniLine* found)
{
    while (iniNextLine(cursor, found)) {
        if (found->kind == INI_SECTION)
            return false;
        if (found->kind == INI_KEY && iniNameIs(found->name, found->nameLength, key))
            return true;
    }
    return false;
}

bool iniFindValue(const char* text, size_t size, const char* section, const char* key, IniLine* found)
{
    IniCursor cursor;
    found->valueLength = 0;
    found->value = text;
    if (!iniFindSection(&cursor, text, size, section))
        return false;
    if (iniFindKeyInSection(&cursor, key, found))
        return true;
    found->valueLength = 0;
    return false;
}

unsigned iniIndexEntries(IniCursor cursor, unsigned* lineOfEntry, unsigned slots)
{
    unsigned lines = 0;
    IniLine line;
    while (iniNextLine(&cursor, &line) && line.kind != INI_SECTION) {
        ++lines;
        unsigned number = line.kind == INI_KEY ? iniEntryNumber(line.name, line.nameLength) : 0;
        // the first key of a name is the one the profile reader gives
        if (number != 0 && number < slots && lineOfEntry[number] == 0)
            lineOfEntry[number] = (unsigned)line.offset + 1;
    }
    return lines;
}

unsigned iniEntryNumber(const char* name, size_t length)
{
    if (length == 0 || length > 9 || name[0] == '0')
        return 0;
    unsigned number = 0;
    for (size_t i = 0; i < length; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (unsigned)(name[i] - '0');
    }
    return number;
}
