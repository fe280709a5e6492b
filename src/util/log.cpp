// The log of a run (see log.h).
#include "util/log.h"

#include "app/state.h"
#include "app/texts.h"
#include "util/text.h"

#include <string.h>

// The longest line: a message (a path and a sentence), the error's text, and the time
enum { LOG_LINE_SIZE = 1024, ERROR_TEXT_SIZE = 256 };

bool openLog()
{
    if (setup.logPath[0] == 0)
        return true;
    // the full path, so that the relaunched copy, started in another folder, finds the same file
    char full[PATH_SIZE];
    DWORD length = GetFullPathNameA(setup.logPath, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full)
        return false;
    memcpy(setup.logPath, full, length + 1);
    // appending only: every write lands at the end, also when two processes share the file
    HANDLE file = CreateFileA(full, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    setup.logFile = file;
    return true;
}

// "2025-01-31 09:05:07.042 " into line; the fields of SYSTEMTIME by their position.
static void writeTime(char* line)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    static const unsigned char field[] = { 0, 1, 3, 4, 5, 6, 7 };
    static const unsigned char width[] = { 4, 2, 2, 2, 2, 2, 3 };
    static const char after[] = "-- ::. ";
    for (int i = 0; i < 7; ++i) {
        unsigned value = (&now.wYear)[field[i]];
        for (int digit = width[i]; digit-- > 0; value /= 10)
            line[digit] = (char)('0' + value % 10);
        line += width[i];
        *line++ = after[i];
    }
    *line = 0;
}

static void writeLine(const char* const* parts, int count, DWORD error)
{
    if (setup.logFile == nullptr)
        return;
    char line[LOG_LINE_SIZE];
    writeTime(line);
    // a command line or a message longer than the line is cut: the log goes on knowingly
    for (int i = 0; i < count; ++i)
        if (parts[i])
            textAppend(line, LOG_LINE_SIZE - 2, parts[i]);
    if (error != 0) {
        char text[ERROR_TEXT_SIZE];
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                      text, sizeof text, nullptr);
        // its line break, and any blanks before it, go
        while (length > 0 && (unsigned char)text[length - 1] <= 32)
            --length;
        text[length] = 0;
        textAppend(line, LOG_LINE_SIZE - 2, logErrorWord);
        textAppend(line, LOG_LINE_SIZE - 2, formatKey(error));
        textAppend(line, LOG_LINE_SIZE - 2, ": ");
        textAppend(line, LOG_LINE_SIZE - 2, text);
        textAppend(line, LOG_LINE_SIZE - 2, ")");
    }
    // one event, one line: a message's own line breaks become blanks (never a trail byte)
    size_t length = 0;
    for (; line[length] != 0; ++length)
        if ((unsigned char)line[length] < 32)
            line[length] = ' ';
    line[length++] = '\r';
    line[length++] = '\n';
    DWORD written;
    WriteFile(setup.logFile, line, (DWORD)length, &written, nullptr);
}

void logLine(const char* first, const char* second, const char* third, const char* fourth)
{
    const char* parts[] = { first, second, third, fourth };
    writeLine(parts, 4, 0);
}

void logMessage(const char* text, DWORD error)
{
    writeLine(&text, 1, error);
}

void logResult(int ok, const char* action, const char* object, const char* more, const char* last)
{
    DWORD error = ok ? 0 : GetLastError();
    const char* parts[] = { action, object, more, last, ok ? logDoneWord : logFailedWord };
    writeLine(parts, 5, error);
}
