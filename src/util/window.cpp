// Window centring and the DPI awareness of the program's windows.
#include "util/window.h"

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
