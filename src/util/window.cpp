// Window centring, the plain-file probe and the destination drive's free space.
#include "util/window.h"

#include "app/state.h"

void centerWindow(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    int y = centeredOrigin(GetSystemMetrics(SM_CYSCREEN), r.top, r.bottom);
    int x = centeredOrigin(GetSystemMetrics(SM_CXSCREEN), r.left, r.right);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void followDeclaredDpiAwareness()
{
    // Windows gives every thread the process's awareness, and then this changes nothing.
    // Wine gives a new window the awareness set for its thread, and a thread that set none
    // counts as unaware there, whatever the process declared.
    if (!IsProcessDPIAware())
        return;
    typedef DPI_AWARENESS_CONTEXT(WINAPI * SetThreadAwarenessProc)(DPI_AWARENESS_CONTEXT);
    // looked up at run time: systems before it have no thread awareness to set
    SetThreadAwarenessProc setThreadAwareness = reinterpret_cast<SetThreadAwarenessProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    if (setThreadAwareness)
        setThreadAwareness(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
}

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

uint64_t freeBytesOnDestination()
{
    char root[PATH_SIZE];
    DWORD length = GetFullPathNameA(setup.destDir, sizeof root, root, nullptr);
    if (length == 0 || length >= sizeof root)
        return 0;
    if (root[1] != ':' || root[2] != '\\')
        return 0;
    root[3] = 0;
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return 0;
    return clusterBytes(freeClusters, sectorsPerCluster, bytesPerSector);
}
