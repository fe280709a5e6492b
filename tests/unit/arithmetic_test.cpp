// The arithmetic of window placement and of the free space, apart from the platform.
#include "util/free_space.h"
#include "util/window.h"

#include <gtest/gtest.h>

TEST(CenteredOrigin, RoundsTowardZero)
{
    // 400 x 300 on 1024 x 768
    EXPECT_EQ(centeredOrigin(1024, 50, 450), 312);
    EXPECT_EQ(centeredOrigin(768, 900, 1200), 234);
    // 3 pixels wider than the screen: -3 / 2 is -1, not -2
    EXPECT_EQ(centeredOrigin(1024, 0, 1027), -1);
    EXPECT_EQ(centeredOrigin(1024, 10, 1037), -1);
}

TEST(ClusterBytes, ProductIsNotCutTo32Bits)
{
    EXPECT_EQ(clusterBytes(2000000, 8, 512), 8192000000ull);
    EXPECT_EQ(clusterBytes(0xFFFFFFFFu, 0xFFFFFFFFu, 1), 0xFFFFFFFE00000001ull);
}
