// What the fuzz targets share: a check that stops the run with its line, and an
// independent model of code page 932's character walk to check the program's against.
#pragma once

#include <stdlib.h>

#include <string>

#define CHECK(condition)                                                                   \
    do {                                                                                   \
        if (!(condition))                                                                  \
            fuzzCheckFailed(#condition, __LINE__);                                         \
    } while (0)

[[noreturn]] inline void fuzzCheckFailed(const char* condition, int line)
{
    __builtin_printf("check failed at line %d: %s\n", line, condition);
    abort();
}

// The position of the first ch on a character boundary of code page 932, or npos: lead
// bytes 0x81-0x9F and 0xE0-0xFC take the byte after them along.
inline size_t firstOnBoundary(const std::string& text, char ch)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = (unsigned char)text[i];
        if (text[i] == ch)
            return i;
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))
            ++i;
    }
    return std::string::npos;
}
