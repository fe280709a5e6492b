// The plain-file probe: whether a path names an existing file, and when it was last written.
#pragma once

#include <stdint.h>

// Non-zero (the FAT date and time of the last write) when path is an existing plain file.
uint32_t fileStamp(const char* path);
