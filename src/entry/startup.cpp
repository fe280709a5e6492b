// The start-up code of the mingw build: the process begins here instead of in the C
// runtime's start-up, which the program does not need (no constructors of its own, no
// argument vector, no atexit). The argument text is cut from the command line by the
// program itself (argumentText), so nothing is parsed here. Builds with a C runtime of
// their own start-up (MSVC) leave this out and reach WinMain through it.
#ifdef SETUP_OWN_STARTUP
#include "app/platform.h"
#include "entry/arguments.h"

extern "C" void WinMainCRTStartup()
{
    int exitValue = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(argumentText(GetCommandLineA())),
                            SW_SHOWDEFAULT);
    ExitProcess((UINT)exitValue);
}
#endif
