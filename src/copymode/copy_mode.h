// Copy mode: copies the installed files beside the program into another folder and puts
// a named desktop shortcut to one of them. No window, no message.
#pragma once

// arguments: link name "/" target "/" destination folder. Always 1.
int runCopyMode(const char* arguments);
