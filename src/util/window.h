// Window placement, the plain-file probe and the destination drive's free space.
#pragma once

#include "app/platform.h"

#include <stdint.h>

// Where a window of extent (high - low) goes to stand centred on a screen of that size.
// The division rounds toward zero, also for a window larger than the screen.
int centeredOrigin(int screenSize, int low, int high);

// Clusters to bytes in 64 bits: no product is cut to 32 bits.
uint64_t clusterBytes(uint32_t freeClusters, uint32_t sectorsPerCluster, uint32_t bytesPerSector);

#ifdef _WIN32
void centerWindow(HWND window);

// Gives the windows of the calling thread the DPI awareness the manifest declares for the
// process: once, before the first window.
void followDeclaredDpiAwareness();
#endif

// Non-zero (the FAT date and time of the last write) when path is an existing plain file.
uint32_t fileStamp(const char* path);

// Free bytes on the drive of setup.destDir; 0 on any failure.
uint64_t freeBytesOnDestination();
