// Registry trees removed with all their subkeys, in the view the program itself uses.
#include "app/state.h"
#include "scratch.h"
#include "uninstall/uninstall.h"

#include <gtest/gtest.h>

// Keys in the test program's own view, which is the view of the program built with it
// (HKLM\SOFTWARE differs between the 32-bit and the 64-bit build).
static void makeKey(HKEY root, const std::string& key, const char* value = nullptr)
{
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS)
        << key;
    if (value)
        RegSetValueExA(handle, "v", 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1);
    RegCloseKey(handle);
}

static bool keyExists(HKEY root, const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

static void dropKey(HKEY root, const std::string& key)
{
    removeRegistryTree(root, key.c_str());
}

TEST(RegistryTree, NestedSubkeysWithValuesAreAllRemovedAndTheSiblingStays)
{
    const std::string base = "Software\\setuptests\\tree";
    dropKey(HKEY_CURRENT_USER, "Software\\setuptests");
    makeKey(HKEY_CURRENT_USER, base + "\\KORVAL", "top");
    makeKey(HKEY_CURRENT_USER, base + "\\KORVAL\\a\\b\\c\\d", "deep");
    makeKey(HKEY_CURRENT_USER, base + "\\KORVAL\\a\\b2", "x");
    makeKey(HKEY_CURRENT_USER, base + "\\KORVAL\\e");
    makeKey(HKEY_CURRENT_USER, base + "\\KORVAL\\F\\g");
    makeKey(HKEY_CURRENT_USER, base + "\\KORVAL2", "sibling");

    removeRegistryTree(HKEY_CURRENT_USER, (base + "\\KORVAL").c_str());

    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, base + "\\KORVAL"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, base + "\\KORVAL2"));
    dropKey(HKEY_CURRENT_USER, "Software\\setuptests");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\setuptests"));
}

TEST(RegistryTree, MissingKeyIsQuietlyLeftAlone)
{
    dropKey(HKEY_CURRENT_USER, "Software\\setuptests");
    makeKey(HKEY_CURRENT_USER, "Software\\setuptests\\kept");
    removeRegistryTree(HKEY_CURRENT_USER, "Software\\setuptests\\absent");
    removeRegistryTree(HKEY_CURRENT_USER, "Software\\setuptests\\absent\\deeper");
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\setuptests\\kept"));
    dropKey(HKEY_CURRENT_USER, "Software\\setuptests");
}

TEST(RegistryTree, MachineUninstallKeyGoesWithItsSubkeys)
{
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\setuptestsKorval";
    makeKey(HKEY_LOCAL_MACHINE, key, "C:\\Korval\\SETUP.EXE r 14");
    makeKey(HKEY_LOCAL_MACHINE, key + "\\sub\\deeper", "x");
    removeRegistryTree(HKEY_LOCAL_MACHINE, key.c_str());
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
}
