// The proposed destination and option number from a previous installation's Uninstall key.
#include "app/state.h"
#include "manifest/previous.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <string.h>

static const char uninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korval";

static std::string windowsDrive()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir, 2);
}

// Runs the lookup with the key holding value (or, with absent, no such value).
static void lookUp(const std::string* value, bool keyPresent = true)
{
    deleteRegistryKey(HKEY_LOCAL_MACHINE, uninstallKey);
    if (keyPresent)
        setRegistryText(HKEY_LOCAL_MACHINE, uninstallKey, "Other", "x");
    if (value)
        setRegistryText(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString", *value);
    resetSetupState();
    strcpy(setup.manifestPath, "C:\\setuptests\\no-manifest.inf");
    EXPECT_EQ(loadPreviousInstall(), 1);
}

struct Row {
    const char* value;
    const char* destDir;
    int savedOptions;
};

TEST(LoadPreviousInstall, WorkedExamplesAgainstTheRegistry)
{
    std::string drive = windowsDrive();
    std::string defaultDest = drive + "\\Korval\\";
    const Row rows[] = {
        { "C:\\Korval\\SETUP.EXE /r14", "C:\\Korval\\", 14 },
        { "\"D:\\Tools\\Korval\\SETUP.EXE\" /6", "D:\\Tools\\Korval\\", 6 },
        { "C:\\Korval\\SETUP.EXE /1", "C:\\Korval\\", 46 },
        { "C:\\Korval\\SETUP.EXE /r", "C:\\Korval\\", 46 },
        { "C:\\Korval\\SETUP.EXE", "C:\\Korval\\SETUP.EXE", 46 },
        { "C:\\Program Files\\Korval\\SETUP.EXE /12", "C:\\", 12 },
        { "\"C:\\Program Files\\Korval\\SETUP.EXE\" /12", "C:\\Program Files\\Korval\\", 12 },
        { "C:\\Korval\\SETUP.EXE /8", "C:\\Korval\\", 8 },
        { "C:\\Korval\\SETUP.EXE /4294967298", "C:\\Korval\\", 2 },     // wraps to 2
        // no backslash before the blank: the default folder, the number still counts
        { "SETUP.EXE /10", defaultDest.c_str(), 10 },
        { "", defaultDest.c_str(), 46 },
    };
    for (const Row& row : rows) {
        std::string value = row.value;
        lookUp(&value);
        EXPECT_STREQ(setup.destDir, row.destDir) << row.value;
        EXPECT_EQ(setup.savedOptions, row.savedOptions) << row.value;
    }
    deleteRegistryKey(HKEY_LOCAL_MACHINE, uninstallKey);
}

TEST(LoadPreviousInstall, WithoutKeyOrValueTheDefaultOnTheWindowsDrive)
{
    lookUp(nullptr, true);
    EXPECT_EQ(std::string(setup.destDir), windowsDrive() + "\\Korval\\");
    EXPECT_EQ(setup.savedOptions, 46);
    lookUp(nullptr, false);
    EXPECT_EQ(std::string(setup.destDir), windowsDrive() + "\\Korval\\");
    EXPECT_EQ(setup.savedOptions, 46);
}

TEST(LoadPreviousInstall, ValueTooLongForAPathIsNotUsed)
{
    // 259 bytes: used; 260 bytes and more: a cut command would name another folder
    std::string fits = "C:\\" + std::string(240, 'k') + "\\SETUP.EXE /6";
    fits.resize(259, 'z');
    lookUp(&fits);
    EXPECT_EQ(std::string(setup.destDir), "C:\\" + std::string(240, 'k') + "\\");
    EXPECT_EQ(setup.savedOptions, 6);
    std::string tooLong = "C:\\" + std::string(250, 'k') + "\\SETUP.EXE /6";
    lookUp(&tooLong);
    EXPECT_EQ(std::string(setup.destDir), windowsDrive() + "\\Korval\\");
    EXPECT_EQ(setup.savedOptions, 46);
    deleteRegistryKey(HKEY_LOCAL_MACHINE, uninstallKey);
}
