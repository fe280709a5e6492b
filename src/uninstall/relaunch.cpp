// The relaunch for uninstall (mode r) and the uninstall run (mode x).
#include "uninstall/uninstall.h"

void relaunchForUninstall()
{
}

void runUninstall()
{
}
