// Removing an installation: the relaunch from the system directory (mode r) and the
// uninstall run (mode x) with its dialog, folder walk, registry removal and restart removal.
#pragma once

#include "app/platform.h"

void relaunchForUninstall();
void runUninstall();
