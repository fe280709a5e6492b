// Shortcuts written through the shell-link object, read back by lnkinfo.
#include "app/state.h"
#include "lnk_check.h"
#include "scratch.h"
#include "shortcuts/shortcuts.h"

#include <gtest/gtest.h>

#include <string.h>

static std::string shellFolder(const char* name)
{
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name,
                 RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

TEST(Shortcuts, NamedDesktopShortcutHasTargetArgumentsAndWorkingDirectory)
{
    resetSetupState();
    std::string folder = scratchFolder("shortcut-named");
    writeFile(folder + "tool.exe", "MZ");
    strcpy(setup.destDir, folder.c_str());
    strcpy(setup.entryTarget, (folder + "tool.exe,-x").c_str());
    manageShortcuts(SHORTCUT_DESKTOP, 0, "Tool");
    std::string link = shellFolder("Desktop") + "\\Tool.lnk";
    ASSERT_TRUE(fileExists(link));
    LinkContents contents = readLinkWithLnkinfo(link);
    ASSERT_TRUE(contents.read) << contents.report;
    EXPECT_EQ(contents.target, folder + "tool.exe") << contents.report;
    EXPECT_EQ(contents.arguments, "-x") << contents.report;
    EXPECT_EQ(contents.workingDirectory, folder) << contents.report;
    DeleteFileA(link.c_str());
}
