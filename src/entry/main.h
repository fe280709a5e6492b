// The program's run, between the start-up code (or WinMain) and the modes.
#pragma once

#include "app/platform.h"

// Runs the mode that arguments (the argument text, see argumentText) chooses; the exit value.
int runSetup(HINSTANCE instance, const char* arguments);
