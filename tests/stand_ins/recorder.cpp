// A stand-in for the installed product: writes its command line and current directory
// to recorder.log beside itself, so that a test sees how the wizard started it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
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
    return 0;
}
