// The uninstall walk's rules that need no platform.
#include "uninstall/folder_link.h"

#include <gtest/gtest.h>

TEST(FolderLink, OnlyMountPointsSymbolicLinksAndUntaggedReparseFoldersAreLinks)
{
    const uint32_t folder = 0x10, reparseFolder = 0x410;
    EXPECT_TRUE(isFolderLink(reparseFolder, 0xA0000003));     // a junction or a mounted volume
    EXPECT_TRUE(isFolderLink(reparseFolder, 0xA000000C));     // a symbolic link
    EXPECT_TRUE(isFolderLink(reparseFolder, 0));              // a Unix link as Wine shows it
    EXPECT_FALSE(isFolderLink(reparseFolder, 0x9000601A));    // a cloud placeholder: walked
    EXPECT_FALSE(isFolderLink(reparseFolder, 0x80000013));    // a deduplicated folder: walked
    EXPECT_FALSE(isFolderLink(folder, 0xA000000C));           // without the attribute the tag means nothing
    EXPECT_FALSE(isFolderLink(0x400, 0xA000000C));            // a file link is removed as a file
}
