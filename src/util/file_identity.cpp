// File identity by volume and index (see file_identity.h).
#include "util/file_identity.h"

#include <string.h>

HANDLE openForIdentity(const char* path)
{
    return CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool isOpenFile(const char* path, HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    HANDLE other = openForIdentity(path);
    bool same = other != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info[0]) &&
                GetFileInformationByHandle(other, &info[1]) &&
                info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
                info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    return same;
}

bool sameFile(const char* first, const char* second)
{
    HANDLE file = openForIdentity(second);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool same = isOpenFile(first, file);
    CloseHandle(file);
    return same;
}
