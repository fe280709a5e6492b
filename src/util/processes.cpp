// The processes of the system as the removal sees them (see processes.h).
#include "util/processes.h"

#include "app/state.h"
#include "util/file_identity.h"

#include <tlhelp32.h>

DWORD parentProcessId()
{
    DWORD self = GetCurrentProcessId(), parent = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == self)
            parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

bool processRunsFile(DWORD id, const char* path)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr)
        return false;
    // the program's folder is one the code page holds: the installation's, or the system's
    char image[PATH_SIZE];
    DWORD length = sizeof image;
    bool runs = QueryFullProcessImageNameA(process, 0, image, &length) && sameFile(image, path);
    CloseHandle(process);
    return runs;
}
