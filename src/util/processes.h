// The processes of the system as the removal sees them: which one started this one, and
// which program file a process runs (compared by file identity, util/file_identity.h).
#pragma once

#include "app/platform.h"

#ifdef _WIN32
// The id of the process that started this one; 0 when it cannot be told.
DWORD parentProcessId();

// True when process id runs the program file at path.
bool processRunsFile(DWORD id, const char* path);
#endif
