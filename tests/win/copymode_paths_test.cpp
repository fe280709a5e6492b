// Copy mode's argument split and path composition, with the system's lead bytes.
#include "copymode/copy_paths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>
#include <string>

TEST(CopyArguments, SplitAtTheFirstTwoSlashesTheFolderKeepsTheRest)
{
    char text[] = "Tool/tool.exe,-q/D:/Copy/Sub";
    CopyArguments parts;
    ASSERT_TRUE(splitCopyArguments(text, &parts));
    EXPECT_STREQ(parts.linkName, "Tool");
    EXPECT_STREQ(parts.target, "tool.exe,-q");
    EXPECT_STREQ(parts.folder, "D:/Copy/Sub");

    char empty[] = "//";
    ASSERT_TRUE(splitCopyArguments(empty, &parts));
    EXPECT_STREQ(parts.linkName, "");
    EXPECT_STREQ(parts.folder, "");

    char one[] = "Tool/tool.exe";
    EXPECT_FALSE(splitCopyArguments(one, &parts));
    EXPECT_STREQ(one, "Tool/tool.exe");
}

TEST(CopyArguments, FullAndRelativeFolders)
{
    EXPECT_TRUE(isFullPath("D:\\Copy"));
    EXPECT_TRUE(isFullPath("d:/Copy"));
    EXPECT_TRUE(isFullPath("\\\\server\\share"));
    EXPECT_FALSE(isFullPath("Copy"));
    EXPECT_FALSE(isFullPath("D:Copy"));         // relative to drive D:'s own current folder
    EXPECT_FALSE(isFullPath("\\Copy"));         // relative to the current drive
    EXPECT_FALSE(isFullPath(""));
}

TEST(CopyPaths, JoinAddsOneSeparatorAndNeverCuts)
{
    char path[260];
    ASSERT_TRUE(joinFolderAndName(path, sizeof path, "D:\\Copy", "tool.exe"));
    EXPECT_STREQ(path, "D:\\Copy\\tool.exe");
    ASSERT_TRUE(joinFolderAndName(path, sizeof path, "D:\\Copy\\", "tool.exe"));
    EXPECT_STREQ(path, "D:\\Copy\\tool.exe");
    ASSERT_TRUE(joinFolderAndName(path, sizeof path, "D:/Copy/", "tool.exe"));
    EXPECT_STREQ(path, "D:/Copy/tool.exe");

    std::string folder(250, 'd');
    ASSERT_TRUE(joinFolderAndName(path, sizeof path, folder.c_str(), "12345678"));     // 259 bytes
    EXPECT_EQ(strlen(path), 259u);
    EXPECT_FALSE(joinFolderAndName(path, sizeof path, folder.c_str(), "123456789"));
    EXPECT_STREQ(path, "");
}

TEST(CopyPaths, TrailByte5CEndsNoFolder)
{
    // C:\ソ is 43 3A 5C 83 5C: in code page 932 the last byte is the trail byte of ソ,
    // so a backslash follows; in code page 1252 it is a backslash of its own
    char path[260];
    ASSERT_TRUE(joinFolderAndName(path, sizeof path, "C:\\\x83\x5C", "a.dat"));
    if (GetACP() == 932)
        EXPECT_STREQ(path, "C:\\\x83\x5C\\a.dat");
    else
        EXPECT_STREQ(path, "C:\\\x83\x5C" "a.dat");
}

TEST(CopyPaths, FolderCutInsideADoubleByteCharacterIsRefused)
{
    // C:\ab and a lone 83: the separator would become the trail byte of ソ
    char path[260] = "unchanged";
    bool cut = GetACP() == 932;
    EXPECT_EQ(endsInLoneLeadByte("C:\\ab\x83"), cut);
    EXPECT_EQ(joinFolderAndName(path, sizeof path, "C:\\ab\x83", "a.dat"), !cut);
    EXPECT_FALSE(endsInLoneLeadByte("C:\\\x83\x5C"));    // ソ is whole
    EXPECT_FALSE(endsInLoneLeadByte(""));
}

TEST(CopyPaths, CopiedNameIsTheTextAfterTheFirstComma)
{
    char plain[] = "x\\y\\z.dat";
    EXPECT_EQ(copiedName(plain), plain);
    char both[] = "src\\a.dat,data\\a.dat,b";
    EXPECT_STREQ(copiedName(both), "data\\a.dat,b");
    char leading[] = ",old.dll";
    EXPECT_STREQ(copiedName(leading), "old.dll");
    // ソ (83 5C) before the comma
    char dbcs[] = "\x83\x5C,a";
    EXPECT_STREQ(copiedName(dbcs), "a");
}
