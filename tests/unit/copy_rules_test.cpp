// The whole-file copy's decisions that need no platform: the temporary file's flags and name,
// what an answer to the replacement means, the read-only target.
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
    EXPECT_EQ(withoutReadOnly(0x21), 0x20u);
    for (unsigned attributes : { 0x20u, 0x11u, 0xFFFFFFFFu })   // not read-only, a folder, no file
        EXPECT_EQ(withoutReadOnly(attributes), 0xFFFFFFFFu) << attributes;
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

TEST(CopyRules, AnAnswerInUseIsWaitedForAndAnUnknownWayGivesWayToTheClassicOne)
{
    EXPECT_EQ(replaceAnswer(0), REPLACE_DONE);
    for (unsigned status : { 0xC0000022u, 0xC0000043u, 0xC0000056u })
        EXPECT_EQ(replaceAnswer(status), REPLACE_IN_USE) << std::hex << status;
    for (unsigned status : { 0xC0000002u, 0xC0000003u, 0xC000000Du, 0xC0000010u, 0xC00000BBu })
        EXPECT_EQ(replaceAnswer(status), REPLACE_UNKNOWN) << std::hex << status;
    // a folder in the way, another device, statuses sharing an in-use status's low byte
    for (unsigned status : { 0xC00000BAu, 0xC00000D4u, 0xC0010022u, 0x80000022u })
        EXPECT_EQ(replaceAnswer(status), REPLACE_FAILED) << std::hex << status;
}
