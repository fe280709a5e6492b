// The switches of unattended runs and of the log (see switches.h).
#include "entry/switches.h"

#include "app/state.h"
#include "util/text.h"

#include <string.h>

// In bit order, one after the other; a name that ends in "=" takes a value.
static const char switchNames[] = "S\0DELETEALL\0LOG=\0MENU=\0DESKTOP=\0LAUNCH=\0D=\0X=\0CLOSE\0CLOSE=\0";

static bool isBlank(char c)
{
    return (unsigned char)c <= 32;     // a trail byte is never one: they begin at 0x40
}

static const char* skipBlanks(const char* p)
{
    while (*p != 0 && isBlank(*p))
        ++p;
    return p;
}

// The switch whose name the word at p carries (its index), in any letter case, with *value
// just after the name; -1 for a word that is none.
static int switchAt(const char* p, const char** value)
{
    if (*p++ != '/')
        return -1;
    int i = 0;
    for (const char* next = switchNames; *next != 0; next += strlen(next) + 1, ++i) {
        const char* name = next;
        const char* q = p;
        while (*name != 0 && (*q >= 'a' && *q <= 'z' ? *q - 32 : *q) == *name) {
            ++name;
            ++q;
        }
        // a name without "=" is the whole word: "/Setup" is no "/S"
        if (*name == 0 && (q[-1] == '=' || isBlank(*q) || *q == '"')) {
            *value = q;
            return i;
        }
    }
    return -1;
}

// True for a word that begins a switch, also one in quotes.
static bool startsSwitch(const char* p)
{
    return p[*p == '"'] == '/';
}

// The path value at p into out (PATH_SIZE bytes); the text after it, or null. In quotes it
// ends at the closing quote (in a word that stands in quotes, that quote is left for the
// caller); otherwise at the next switch or the end of the line, without the blanks before:
// a Windows path holds no "/" and no quote, so its own blanks need no quotes.
static const char* readPath(const char* p, char* out, bool inQuotedWord)
{
    const char* end;
    const char* after;
    if (inQuotedWord || *p == '"') {
        p += !inQuotedWord;
        end = findChar(p, '"');
        if (end == nullptr)
            return nullptr;
        after = end + !inQuotedWord;
    } else {
        end = p;
        while (*end != 0 && !(isBlank(*end) && startsSwitch(end + 1)))
            ++end;
        while (end > p && isBlank(end[-1]))
            --end;
        after = end;
    }
    size_t length = (size_t)(end - p);
    if (length == 0 || length >= PATH_SIZE)
        return nullptr;
    memcpy(out, p, length);
    out[length] = 0;
    return after;
}

SwitchesRead readSwitches(const char* text, unsigned allowed)
{
    const char* p = skipBlanks(text);
    bool first = true;
    unsigned seen = 0;
    for (; *p != 0; first = false) {
        // a word may stand in quotes as a whole, as tools quote one with blanks in it:
        // "/D=C:\Program Files\Korval"
        bool quoted = *p == '"';
        const char* value = nullptr;
        int which = switchAt(p + quoted, &value);
        if (which < 0)
            return first ? SWITCHES_NONE : SWITCHES_BAD;
        unsigned bit = 1u << which;
        if (!(allowed & bit))
            return SWITCHES_BAD;
        seen |= bit;
        if (bit == SWITCH_SILENT) {
            setup.unattended = 1;
        } else if (bit == SWITCH_DELETE_ALL) {
            setup.deleteAll = 1;
        } else if (bit & (SWITCH_CLOSE | SWITCH_CLOSE_WAIT)) {
            // the seconds the run waits for the product to close: 30 unless given, 1 to 3600
            int seconds = bit == SWITCH_CLOSE ? 30 : parseDecimal(value);
            while (*value >= '0' && *value <= '9')
                ++value;
            if (seconds < 1 || seconds > 3600)
                return SWITCHES_BAD;
            setup.closeProduct = seconds;
        } else if (bit & (SWITCH_MENU | SWITCH_DESKTOP | SWITCH_LAUNCH)) {
            if (*value != '0' && *value != '1')
                return SWITCHES_BAD;
            int on = *value++ - '0';
            if (bit == SWITCH_LAUNCH) {
                setup.noLaunch = !on;
            } else {
                int option = bit == SWITCH_MENU ? OPTION_START_MENU : OPTION_DESKTOP;
                setup.optionsGiven |= option;
                setup.optionsOn = (setup.optionsOn & ~option) | (on ? option : 0);
            }
        } else {
            char* out = bit == SWITCH_LOG ? setup.logPath
                        : bit == SWITCH_DESTINATION ? setup.switchDestination : setup.removalPath;
            value = readPath(value, out, quoted);
            if (value == nullptr)
                return SWITCHES_BAD;
        }
        // the word ends here: its closing quote, then a blank or the end of the line
        if (quoted && *value++ != '"')
            return SWITCHES_BAD;
        if (!isBlank(*value))
            return SWITCHES_BAD;
        p = skipBlanks(value);
    }
    // /X= comes only in the line the removal starts its copy with: /S and the removal's own
    // switches beside it, nothing of an installation's
    if ((seen & SWITCH_REMOVAL_PATH) && (!(seen & SWITCH_SILENT) || (seen & ~(REMOVAL_SWITCHES | SWITCH_REMOVAL_PATH))))
        return SWITCHES_BAD;
    return first ? SWITCHES_NONE : SWITCHES_READ;
}
