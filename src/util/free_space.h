// The free space on the destination's drive, for the question before a small drive fills.
#pragma once

#include <stdint.h>

// Clusters to bytes in 64 bits: no product is cut to 32 bits.
inline uint64_t clusterBytes(uint32_t freeClusters, uint32_t sectorsPerCluster, uint32_t bytesPerSector)
{
    return (uint64_t)freeClusters * sectorsPerCluster * bytesPerSector;
}

// Free bytes on the drive of setup.destDir; 0 on any failure.
uint64_t freeBytesOnDestination();
