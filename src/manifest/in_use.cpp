// Whether the installed product is in use (see in_use.h).
#include "manifest/in_use.h"

#include "app/state.h"
#include "app/texts.h"
#include "manifest/entries.h"
#include "util/file_identity.h"
#include "util/log.h"
#include "util/text.h"

#include <string.h>
#include <tlhelp32.h>

enum { FILES_NAMED = 4, PROCESSES_ASKED = 16 };

// The program files of the installation that the system will not open for writing: their
// number, the first FILES_NAMED of them in files.
static int findFilesInUse(char (*files)[PATH_SIZE])
{
    int found = 0;
    for (int n = 1; n <= setup.installCount; ++n) {
        size_t length = loadInstallEntry(n) ? strlen(setup.entryTarget) : 0;
        const char* extension = setup.entryTarget + (length < 4 ? 0 : length - 4);
        if (length == 0 || (n != 1 && lstrcmpiA(extension, ".exe") != 0 && lstrcmpiA(extension, ".dll") != 0))
            continue;
        HANDLE file = CreateFileA(setup.entryTarget, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        else if (GetLastError() == ERROR_SHARING_VIOLATION) {
            logLine(logInUseWord, setup.entryTarget);
            if (found < FILES_NAMED)
                textCopy(files[found], PATH_SIZE, setup.entryTarget);
            ++found;
        }
    }
    return found;
}

// WM_CLOSE to each visible top-level window of the process, as its close box would send.
static BOOL CALLBACK askToClose(HWND window, LPARAM process)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == (DWORD)process && IsWindowVisible(window) && !GetWindow(window, GW_OWNER))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Logs each process that runs one of the files (the program of its first module); with
// /CLOSE, asks it to close, keeping its handle in asked. The number asked. (A process that has
// only loaded a library of the installation is not named: its file is.)
static int nameUsers(char (*files)[PATH_SIZE], int count, HANDLE* asked)
{
    int askedCount = 0;
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 process;
    process.dwSize = sizeof process;
    for (BOOL more = Process32First(processes, &process); more; more = Process32Next(processes, &process)) {
        DWORD id = process.th32ProcessID;
        HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, id);
        MODULEENTRY32 program;
        program.dwSize = sizeof program;
        bool runs = false;
        if (id != GetCurrentProcessId() && Module32First(modules, &program))
            for (int i = 0; i < count && i < FILES_NAMED && !runs; ++i)
                runs = sameFile(program.szExePath, files[i]);
        if (modules != INVALID_HANDLE_VALUE)
            CloseHandle(modules);
        if (!runs)
            continue;
        logLine(logProcessWord, formatKey(id), ": ", program.szExePath);
        HANDLE handle = setup.closeProduct && askedCount < PROCESSES_ASKED ? OpenProcess(SYNCHRONIZE, FALSE, id) : nullptr;
        if (handle) {
            EnumWindows(askToClose, (LPARAM)id);
            logLine(logCloseAskedWord, logProcessWord, formatKey(id));
            asked[askedCount++] = handle;
        }
    }
    if (processes != INVALID_HANDLE_VALUE)
        CloseHandle(processes);
    return askedCount;
}

bool installationFree()
{
    char files[FILES_NAMED][PATH_SIZE];
    int count = findFilesInUse(files);
    if (count == 0)
        return true;
    HANDLE asked[PROCESSES_ASKED];
    int askedCount = nameUsers(files, count, asked);
    if (askedCount == 0)
        return false;
    WaitForMultipleObjects((DWORD)askedCount, asked, TRUE, (DWORD)setup.closeProduct * 1000);
    for (int i = 0; i < askedCount; ++i)
        CloseHandle(asked[i]);
    return findFilesInUse(files) == 0;
}
