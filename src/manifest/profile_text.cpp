// Decoding a profile file into the ANSI code page (see profile_text.h).
#include "manifest/profile_text.h"

#include "app/platform.h"

// Larger files are not read: the counts below stay far from the int limits of the calls.
enum { PROFILE_SIZE_LIMIT = 64 * 1024 * 1024 };

static void* allocate(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

static void release(void* block)
{
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}

void freeProfileText(char* text)
{
    release(text);
}

// The file's bytes, with room for one more byte.
static unsigned char* readWholeFile(const char* path, DWORD* size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    DWORD high = 0;
    DWORD length = GetFileSize(file, &high);
    unsigned char* bytes = nullptr;
    if (length != INVALID_FILE_SIZE && high == 0 && length <= PROFILE_SIZE_LIMIT)
        bytes = (unsigned char*)allocate(length + 1);
    DWORD read = 0;
    if (bytes != nullptr && !(ReadFile(file, bytes, length, &read, nullptr) && read == length)) {
        release(bytes);
        bytes = nullptr;
    }
    CloseHandle(file);
    *size = length;
    return bytes;
}

// The text as UTF-16, by its byte-order mark or in the ANSI code page.
static WCHAR* decode(unsigned char* bytes, DWORD size, UINT ansiCodePage, int* units)
{
    WCHAR* wide = nullptr;
    if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        bool bigEndian = bytes[0] == 0xFE;
        *units = (int)((size - 2) / 2);
        wide = (WCHAR*)allocate((size_t)*units * sizeof(WCHAR) + 1);
        for (int i = 0; wide != nullptr && i < *units; ++i) {
            unsigned char first = bytes[2 + 2 * i], second = bytes[3 + 2 * i];
            wide[i] = bigEndian ? (WCHAR)(first << 8 | second) : (WCHAR)(second << 8 | first);
        }
        return wide;
    }
    UINT codePage = ansiCodePage;
    DWORD skip = 0;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        codePage = CP_UTF8;
        skip = 3;
    }
    const char* from = (const char*)bytes + skip;
    int length = (int)(size - skip);
    *units = length == 0 ? 0 : MultiByteToWideChar(codePage, 0, from, length, nullptr, 0);
    wide = (WCHAR*)allocate((size_t)*units * sizeof(WCHAR) + 1);
    if (wide != nullptr && *units > 0 && MultiByteToWideChar(codePage, 0, from, length, wide, *units) != *units) {
        release(wide);
        wide = nullptr;
    }
    return wide;
}

char* readProfileText(const char* path, unsigned codePage, size_t* size)
{
    *size = 0;
    DWORD length = 0;
    unsigned char* bytes = readWholeFile(path, &length);
    if (bytes == nullptr)
        return nullptr;
    int units = 0;
    WCHAR* wide = decode(bytes, length, codePage, &units);
    release(bytes);
    if (wide == nullptr)
        return nullptr;
    int ansiLength = units == 0 ? 0 : WideCharToMultiByte(codePage, 0, wide, units, nullptr, 0, nullptr, nullptr);
    char* text = (char*)allocate((size_t)ansiLength + 1);
    if (text != nullptr && ansiLength > 0
        && WideCharToMultiByte(codePage, 0, wide, units, text, ansiLength, nullptr, nullptr) != ansiLength) {
        release(text);
        text = nullptr;
    }
    release(wide);
    if (text != nullptr) {
        text[ansiLength] = 0;
        *size = (size_t)ansiLength;
    }
    return text;
}
