// The checker's Linux reading of a profile file: the decoding the platform's profile reader
// does (see src/manifest/profile_text.h), done with iconv for code page 932 only. A double-
// byte sequence the code page does not define becomes "・" (0x81 0x45) and takes the byte
// after the lead byte with it, a line end included, as the reader does.
#include "manifest/profile_text.h"

#include "util/text.h"

#include <errno.h>
#include <iconv.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char32_t REPLACEMENT = 0x30FB;   // "・", what the reader makes of an undefined sequence

struct Converter {
    iconv_t handle;
    Converter(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~Converter()
    {
        if (handle != (iconv_t)-1)
            iconv_close(handle);
    }
    // Converts the whole input; false when any of it is undefined.
    bool run(const void* input, size_t size, std::string& out)
    {
        out.clear();
        if (handle == (iconv_t)-1)
            return false;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        char* in = (char*)input;
        size_t left = size;
        char buffer[64];
        while (left > 0) {
            char* to = buffer;
            size_t room = sizeof buffer;
            size_t done = iconv(handle, &in, &left, &to, &room);
            out.append(buffer, to - buffer);
            if (done == (size_t)-1 && errno != E2BIG)
                return false;
        }
        return true;
    }
};

// UTF-16 units; a value above 0xFFFF stands for a single byte that is given back unchanged.
typedef std::u32string Units;
const char32_t KEPT_BYTE = 0x110000;

void appendUnits(Units& wide, const std::string& utf16le)
{
    for (size_t i = 0; i + 1 < utf16le.size(); i += 2)
        wide += (char32_t)((unsigned char)utf16le[i] | (unsigned char)utf16le[i + 1] << 8);
}

// Code page 932 text to UTF-16, character by character.
Units decode932(const unsigned char* bytes, size_t size)
{
    Converter toWide("UTF-16LE", "CP932");
    Units wide;
    std::string unit;
    for (size_t i = 0; i < size;) {
        if (bytes[i] < 0x80) {
            wide += (char32_t)bytes[i++];
        } else if (!isLeadByte932(bytes[i])) {
            // single bytes the table leaves out (0x80, 0xA0, 0xFD to 0xFF) read back as they are
            if (toWide.run(bytes + i, 1, unit))
                appendUnits(wide, unit);
            else
                wide += KEPT_BYTE | bytes[i];
            ++i;
        } else if (i + 1 == size) {
            wide += REPLACEMENT;            // a lead byte at the very end
            ++i;
        } else {
            if (toWide.run(bytes + i, 2, unit))
                appendUnits(wide, unit);
            else
                wide += REPLACEMENT;
            i += 2;
        }
    }
    return wide;
}

Units decodeUtf8(const unsigned char* bytes, size_t size)
{
    Converter toWide("UTF-16LE", "UTF-8");
    Units wide;
    std::string unit;
    for (size_t i = 0; i < size;) {
        size_t length = bytes[i] < 0x80 ? 1 : bytes[i] >= 0xF0 ? 4 : bytes[i] >= 0xE0 ? 3 : bytes[i] >= 0xC0 ? 2 : 1;
        if (i + length <= size && toWide.run(bytes + i, length, unit)) {
            appendUnits(wide, unit);
            i += length;
        } else {
            wide += (char32_t)0xFFFD;
            ++i;
        }
    }
    return wide;
}

// UTF-16 back into code page 932; what the code page cannot hold becomes its one-byte
// best fit, or "?".
std::string encode932(const Units& wide)
{
    Converter toAnsi("CP932", "UTF-16LE");
    Converter bestFit("CP932//TRANSLIT", "UTF-16LE");
    std::string text, unit;
    for (char32_t c : wide) {
        if (c < 0x80) {
            text += (char)c;
        } else if (c >= KEPT_BYTE) {
            text += (char)(c & 0xFF);
        } else {
            char pair[2] = { (char)(c & 0xFF), (char)(c >> 8) };
            bool surrogate = c >= 0xD800 && c <= 0xDFFF;
            if (!surrogate && toAnsi.run(pair, 2, unit))
                text += unit;
            else if (!surrogate && bestFit.run(pair, 2, unit) && unit.size() == 1)
                text += unit;               // a letter with an accent reads as the letter
            else
                text += '?';
        }
    }
    return text;
}

} // namespace

char* readProfileText(const char* path, unsigned codePage, size_t* size)
{
    *size = 0;
    // iconv's best fits come from the locale's tables; the "C" locale has none
    static bool localeSet = setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    (void)localeSet;
    if (codePage != 932)
        return nullptr;
    FILE* file = fopen(path, "rb");
    if (file == nullptr)
        return nullptr;
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed)
        return nullptr;

    const unsigned char* data = bytes.data();
    size_t length = bytes.size();
    Units wide;
    if (length >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
        bool bigEndian = data[0] == 0xFE;
        for (size_t i = 2; i + 1 < length; i += 2)
            wide += bigEndian ? (char32_t)(data[i] << 8 | data[i + 1]) : (char32_t)(data[i + 1] << 8 | data[i]);
    } else if (length >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        wide = decodeUtf8(data + 3, length - 3);
    } else {
        wide = decode932(data, length);
    }
    std::string text = encode932(wide);
    char* result = (char*)malloc(text.size() + 1);
    if (result == nullptr)
        return nullptr;
    memcpy(result, text.data(), text.size());
    result[text.size()] = 0;
    *size = text.size();
    return result;
}

void freeProfileText(char* text)
{
    free(text);
}
