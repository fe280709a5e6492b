// The free space on the destination's drive.
#include "util/free_space.h"

#include "app/state.h"

uint64_t freeBytesOnDestination()
{
    char root[PATH_SIZE];
    DWORD length = GetFullPathNameA(setup.destDir, sizeof root, root, nullptr);
    if (length == 0 || length >= sizeof root)
        return 0;
    if (root[1] != ':' || root[2] != '\\')
        return 0;
    root[3] = 0;
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return 0;
    return clusterBytes(freeClusters, sectorsPerCluster, bytesPerSector);
}
