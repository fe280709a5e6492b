// The main of every test program that runs product code: GoogleTest under the test guard.
#include "test_guard.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    installTestGuard();
    return RUN_ALL_TESTS();
}
