// Windows types for the program, and stand-ins for them where the pure text and
// path logic is compiled natively (unit tests, sanitizers, fuzzer).
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
typedef void* HWND;
typedef void* HINSTANCE;
#endif
