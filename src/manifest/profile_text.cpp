// Decoding a profile file into the ANSI code page (see profile_text.h).
#include "manifest/profile_text.h"

#include "app/platform.h"

// Larger files are not read: the counts below stay far from the int limits of the calls.
enum { PROFILE_SIZE_LIMIT = 64 * 1024 * 1024 };

static void* allocate(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void freeProfileText(char* text)
{
    if (text != nullptr)
        HeapFree(GetProcessHeap(), 0, text);
}

// The file's bytes, followed by two zero bytes.
static unsigned char* readWholeFile(const char* path, DWORD* size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    DWORD high = 0;
    *size = GetFileSize(file, &high);
    unsigned char* bytes = nullptr;
    if (*size <= PROFILE_SIZE_LIMIT && high == 0)
        bytes = (unsigned char*)allocate(*size + 2);
    DWORD read = 0;
    if (bytes != nullptr && !(ReadFile(file, bytes, *size, &read, nullptr) && read == *size)) {
        freeProfileText((char*)bytes);
        bytes = nullptr;
    }
    CloseHandle(file);
    return bytes;
}

char* readProfileText(const char* path, unsigned codePage, size_t* size)
{
    *size = 0;
    DWORD length = 0;
    unsigned char* bytes = readWholeFile(path, &length);
    if (bytes == nullptr)
        return nullptr;
    // a UTF-16 text is decoded in place; any other text into a buffer of UTF-16 units,
    // never more units than bytes
    WCHAR* wide = (WCHAR*)(bytes + 2);
    int units = (int)(length - 2) / 2;
    WCHAR* decoded = nullptr;
    if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        for (int i = 0; i < units; ++i)
            wide[i] = (WCHAR)(wide[i] << 8 | wide[i] >> 8);
    } else if (!(length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)) {
        UINT from = codePage;
        DWORD skip = 0;
        if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            from = CP_UTF8;
            skip = 3;
        }
        wide = decoded = (WCHAR*)allocate(((size_t)length + 1) * sizeof(WCHAR));
        units = 0;
        if (decoded != nullptr && length > skip)
            units = MultiByteToWideChar(from, 0, (const char*)bytes + skip, (int)(length - skip), decoded, (int)length);
    }
    // a unit takes at most two bytes in a double-byte code page, three in UTF-8
    char* text = wide != nullptr ? (char*)allocate((size_t)units * 3 + 1) : nullptr;
    if (text != nullptr) {
        int ansiLength = units > 0 ? WideCharToMultiByte(codePage, 0, wide, units, text, units * 3, nullptr, nullptr) : 0;
        text[ansiLength] = 0;
        *size = (size_t)ansiLength;
    }
    freeProfileText((char*)decoded);
    freeProfileText((char*)bytes);
    return text;
}
