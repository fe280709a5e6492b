// Window placement: centring on the screen, and the DPI awareness of the program's windows.
#pragma once

#include "app/platform.h"

// Where a window of extent (high - low) goes to stand centred on a screen of that size.
// The division rounds toward zero, also for a window larger than the screen.
inline int centeredOrigin(int screenSize, int low, int high)
{
    return (screenSize + low - high) / 2;
}

#ifdef _WIN32
void centerWindow(HWND window);

// Gives the windows of the calling thread the DPI awareness the manifest declares for the
// process: once, before the first window.
void followDeclaredDpiAwareness();
#endif
