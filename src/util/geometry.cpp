// Arithmetic of window centring and free-space products, kept apart from the platform.
#include "util/window.h"

int centeredOrigin(int screenSize, int low, int high)
{
    return (screenSize + low - high) / 2;
}

uint64_t clusterBytes(uint32_t freeClusters, uint32_t sectorsPerCluster, uint32_t bytesPerSector)
{
    return (uint64_t)freeClusters * sectorsPerCluster * bytesPerSector;
}
