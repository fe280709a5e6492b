// The whole-file copy's decisions that need no platform: the temporary file's flags and name.
#include "util/copy_rules.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(CopyRules, OnlyAttributesThatAreNoOpenFlagsReachTheTemporaryFileAndReadOnlyLater)
{
    // 0x20000000 is FILE_FLAG_NO_BUFFERING as a flag (cloud files carry it); Wine keeps no
    // such bit on a file. Read-only comes once the copy is the target; delete-on-close only
    // for a copy to be linked in.
    const unsigned six = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x2000, openFlags = 0x40000 | 0x100000 | 0x20000000;
    EXPECT_EQ(copiedAttributes(six | openFlags | 0x10), six);
    EXPECT_EQ(temporaryFileFlags(six | openFlags, 0), (six & ~1u) | 0x04000000);
    EXPECT_EQ(temporaryFileFlags(six | openFlags, 1), six & ~1u);
}

TEST(CopyRules, ATemporaryNameIsNeverATargetsOwnNorAOneByteName)
{
    // the first name written over the target's own, in a path of the given length, and the last
    auto names = [](const char* own, size_t pathLength) {
        char name[16];
        char* digit = firstTemporaryName(strcpy(name, own), pathLength);
        std::string first = name;
        return digit ? first + " " + (*digit = 'f', name) : first;
    };
    EXPECT_EQ(names("0", 20), "~0 ~f");             // "0" to "f" are one-byte targets' names
    EXPECT_EQ(names("~0", 20), "_0 _f");            // a target named like a temporary file
    EXPECT_EQ(names("ab", 259), "~0 ~f");           // a path of 259 bytes
    EXPECT_EQ(names("a", 259), "~");
    EXPECT_EQ(names("~", 259), "_");
}
