// The start-up code of the mingw build: the process begins here instead of in the C
// runtime's start-up, which the program does not need (no constructors of its own, no
// argument vector, no atexit). The argument text is cut from the command line by the
// program's own rules (argumentText) once, here, and handed to runSetup. Builds with a C
// runtime of their own start-up (MSVC) leave this out and reach runSetup through WinMain.
#ifdef SETUP_OWN_STARTUP
#include "app/platform.h"
#include "entry/arguments.h"
#include "entry/main.h"

extern "C" void WinMainCRTStartup()
{
    ExitProcess((UINT)runSetup(GetModuleHandleA(nullptr), argumentText(GetCommandLineA())));
}
#endif
