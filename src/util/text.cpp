// Byte-string helpers for ANSI text in fixed buffers (see text.h).
#include "util/text.h"

#include "app/state.h"

#include <string.h>

bool isLeadByte932(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

#if defined(_WIN32) && !defined(SETUP_RULES_CP932)
bool isLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != 0;
}
#else
// Native builds (tests, fuzzer) and the manifest checker, which judges a manifest as a
// Japanese system reads it on any machine, apply the rules of code page 932.
bool isLeadByte(unsigned char byte)
{
    return isLeadByte932(byte);
}
#endif

// strnlen is missing from older msvcrt.dll versions, so the mingw build would link a copy of its own
static size_t lengthWithin(const char* text, size_t size)
{
    size_t n = 0;
    while (n < size && text[n] != 0)
        ++n;
    return n;
}

// Length of the longest prefix of src, at most limit bytes, that ends on a character boundary.
static size_t boundedLength(const char* src, size_t limit, bool* complete)
{
    size_t n = 0;
    while (src[n] != 0) {
        size_t step = (isLeadByte((unsigned char)src[n]) && src[n + 1] != 0) ? 2 : 1;
        if (n + step > limit) {
            *complete = false;
            return n;
        }
        n += step;
    }
    *complete = true;
    return n;
}

bool textAppend(char* dst, size_t dstSize, const char* src)
{
    if (dstSize == 0)
        return false;
    size_t used = lengthWithin(dst, dstSize);
    if (used >= dstSize) {          // not terminated: treat as full
        dst[dstSize - 1] = 0;
        return false;
    }
    bool complete;
    size_t n = boundedLength(src, dstSize - 1 - used, &complete);
    memmove(dst + used, src, n);
    dst[used + n] = 0;
    return complete;
}

bool textCopy(char* dst, size_t dstSize, const char* src)
{
    if (dstSize == 0)
        return false;
    if (dst == src)
        return true;
    dst[0] = 0;
    return textAppend(dst, dstSize, src);
}

const char* findChar(const char* text, char ch)
{
    const unsigned char* p = (const unsigned char*)text;
    while (*p != 0) {
        if (*p == (unsigned char)ch)
            return (const char*)p;
        // a lead byte cut off by the terminator ends the walk at that terminator
        p += (isLeadByte(*p) && p[1] != 0) ? 2 : 1;
    }
    return nullptr;
}

char* findChar(char* text, char ch)
{
    return const_cast<char*>(findChar(static_cast<const char*>(text), ch));
}

bool endsInsideDbcs(const char* text, size_t pos)
{
    size_t p = 0;
    while (p < pos)
        p += isLeadByte((unsigned char)text[p]) ? 2 : 1;
    return p != pos;
}

bool ensureTrailingSeparator(char* text, size_t size)
{
    size_t n = lengthWithin(text, size);
    if (n > 0 && text[n - 1] == '\\' && !endsInsideDbcs(text, n - 1))
        return true;
    // a text cut after a lead byte: the backslash would become its trail byte (83 5C is ソ)
    if (n > 0 && isLeadByte((unsigned char)text[n - 1]) && !endsInsideDbcs(text, n - 1))
        return false;
    if (n + 2 > size)
        return false;
    text[n] = '\\';
    text[n + 1] = 0;
    return true;
}

int parseDecimal(const char* text)
{
    unsigned int value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + (unsigned int)(*p - '0');
    return (int)value;
}

const char* formatKey(unsigned int n)
{
    char digits[16];
    int count = 0;
    do {
        digits[count++] = (char)('0' + n % 10);
        n /= 10;
    } while (n != 0);
    for (int i = 0; i < count; ++i)
        setup.keyBuffer[i] = digits[count - 1 - i];
    setup.keyBuffer[count] = 0;
    return setup.keyBuffer;
}

char* lastBackslashByte(char* text, char* end)
{
    // compares single bytes on purpose: the stored paths are walked back byte by byte
    for (char* p = end; p > text;) {
        --p;
        if (*p == '\\')
            return p;
    }
    return nullptr;
}
