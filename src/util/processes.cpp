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
    // the first module of a process is the program it runs
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id);
    MODULEENTRY32 program;
    program.dwSize = sizeof program;
    bool runs = modules != INVALID_HANDLE_VALUE && Module32First(modules, &program) && sameFile(program.szExePath, path);
    if (modules != INVALID_HANDLE_VALUE)
        CloseHandle(modules);
    return runs;
}
