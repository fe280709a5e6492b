// A stand-in for the installed product: writes its command line and current directory
// to recorder.log beside itself, so that a test sees how the wizard started it. Started with
// -window it stays running with a window, as the product does, and writes a line "close" to
// recorder-close.log for each close request it gets; with -stay as well it refuses them (as
// the product does with a dialog open or data not saved).
#include <windows.h>

static char closeLog[MAX_PATH];
static bool stay;

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        HANDLE file = CreateFileA(closeLog, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, "close\n", 6, &written, nullptr);
        CloseHandle(file);
        if (!stay)
            DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    char path[MAX_PATH], dir[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = strrchr(path, '\\');
    lstrcpyA(slash + 1, "recorder.log");
    GetCurrentDirectoryA(sizeof dir, dir);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    const char* line = GetCommandLineA();
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    WriteFile(file, dir, lstrlenA(dir), &written, nullptr);
    CloseHandle(file);
    if (!strstr(arguments, "-window"))
        return 0;
    stay = strstr(arguments, "-stay") != nullptr;
    lstrcpyA(slash + 1, "recorder-close.log");
    lstrcpyA(closeLog, path);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "RovendaStandIn";
    RegisterClassA(&windowClass);
    CreateWindowA("RovendaStandIn", "Rovenda", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                  instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
