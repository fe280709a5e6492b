// Whether the installed product is in use, asked before an unattended install or removal
// changes anything, so that neither leaves a mix of two versions or half a product.
#pragma once

#include "app/platform.h"

#ifdef _WIN32
// True when the installation in destDir may be changed: no program file that the manifest
// installs there (install entry 1, the main program, and every entry's .exe and .dll) is in
// use. In use is a file the system will not open for writing because a process runs it, has
// it loaded as a library, or holds it open without letting others write: it is opened for
// writing and closed, never written. Each such file and each process running one of them (its
// id and program) goes to the log. With /CLOSE (setup.closeProduct), each process whose program is
// one of those files is asked to close as a user would ask it, by WM_CLOSE to each of its
// visible top-level windows, once; the run then waits up to setup.closeProduct seconds for
// them to end and looks again. A process is never ended otherwise.
bool installationFree();
#endif
