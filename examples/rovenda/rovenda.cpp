// A sample Rovenda: the product the demo distribution installs. Started with "-Inst" (as the
// setup program does when its wizard finishes) it says where it was installed.
#include <windows.h>

#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    char folder[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        folder[0] = 0;
    char* slash = strrchr(folder, '\\');
    if (slash)
        slash[1] = 0;

    char text[MAX_PATH + 200];
    if (strstr(arguments, "-Inst")) {
        lstrcpynA(text, "Rovenda のインストールが済みました。\r\n\r\nインストール先: ", sizeof text);
        lstrcpynA(text + lstrlenA(text), folder, sizeof text - lstrlenA(text));
        lstrcpynA(text + lstrlenA(text), "\r\n(セットアップから -Inst で起動されました)", sizeof text - lstrlenA(text));
    } else {
        lstrcpynA(text, "Rovenda サンプルです。", sizeof text);
    }
    MessageBoxA(nullptr, text, "Rovenda", MB_ICONINFORMATION);
    return 0;
}
