// The proposed destination: the default folder, or the folder of the stored uninstall command.
#pragma once

// The default destination (drive of windowsDir, then productKey) into destDir.
void setDefaultDestination(const char* windowsDir);

// Reads a stored uninstall command: sets *options from the number after its first slash
// (46 when below 2 or absent) and cuts value to the folder of the program it names, with
// its backslash. False when no folder can be taken from it (empty, or no backslash before
// the end of the program path); value is then unusable as a destination.
bool parseUninstallCommand(char* value, int* options);
