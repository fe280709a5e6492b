// The plain-file probe.
#include "util/file_stamp.h"

#include "app/platform.h"

uint32_t fileStamp(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return 0;
    FILETIME local;
    WORD date, time;
    if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return 0;
    return ((uint32_t)date << 16) | time;
}
