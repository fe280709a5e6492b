// DLLs only from the system directory: the search restriction made at start-up, and the
// common controls, loaded explicitly after it (so that their own start-up, which loads
// uxtheme.dll by name, runs only once the search is restricted).
#pragma once

#include "app/platform.h"

#ifdef _WIN32
#include <commctrl.h>

// First thing in the process: later loads by name search the system directory only (or,
// where the system cannot restrict the search, never the current directory).
void restrictDllSearch();
// Before the first window: the DLLs that window code loads by name are loaded from the
// system directory now, so that those later loads get the module already there. A run that
// shows no window (unattended) loads neither, nor anything that would load them.
void loadWindowDlls();

// The common controls' functions the program uses, looked up in comctl32.dll (version 6
// through the program's manifest), loaded on first use. FALSE / -1 when it cannot be loaded.
BOOL initCommonControls(DWORD classes);
INT_PTR showPropertySheet(LPCPROPSHEETHEADERA header);
#endif
