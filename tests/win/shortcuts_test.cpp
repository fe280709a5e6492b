// Shortcuts written through the shell-link object, read back by lnkinfo, and removed again.
#include "app/state.h"
#include "lnk_check.h"
#include "scratch.h"
#include "manifest/previous.h"
#include "shortcuts/shortcuts.h"

#include <gtest/gtest.h>

#include <string.h>


static std::string groupFolder()
{
    return shellFolder("Programs") + "\\KorvalDesk\\";
}

// A destination folder with product files and a manifest whose group section is given.
static std::string prepare(const std::string& name, const std::string& groupSection, int groupCount)
{
    resetSetupState();
    std::string folder = scratchFolder(name);
    writeFile(folder + "tool.exe", "MZ");
    writeFile(folder + "readme.txt", "readme");
    writeFile(folder + "SETUP.inf", "[Group]\r\n" + groupSection);
    strcpy(setup.destDir, folder.c_str());
    strcpy(setup.manifestPath, (folder + "SETUP.inf").c_str());
    setup.groupCount = groupCount;
    deleteTree(groupFolder());
    DeleteFileA((shellFolder("Programs") + "\\Rovenda.lnk").c_str());
    DeleteFileA((shellFolder("Desktop") + "\\Rovenda.lnk").c_str());
    return folder;
}


TEST(Shortcuts, NamedDesktopShortcutHasTargetArgumentsAndWorkingDirectory)
{
    std::string folder = prepare("shortcut-named", "", 0);
    strcpy(setup.entryTarget, (folder + "tool.exe,-x").c_str());
    manageShortcuts(SHORTCUT_DESKTOP, 0, "Tool");
    std::string link = shellFolder("Desktop") + "\\Tool.lnk";
    EXPECT_TRUE(linkIs(link, folder + "tool.exe", "-x", folder));
    DeleteFileA(link.c_str());
}

TEST(Shortcuts, GroupEntriesGiveOneShortcutPerExistingTargetInTheGroupFolder)
{
    std::string folder = prepare("shortcut-group", "1=Tool,tool.exe,-x\r\n2=Missing,missing.exe\r\n3=Readme,readme.txt\r\n", 3);
    manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
    EXPECT_TRUE(linkIs(groupFolder() + "Tool.lnk", folder + "tool.exe", "-x", folder));
    EXPECT_TRUE(linkIs(groupFolder() + "Readme.lnk", folder + "readme.txt", "", folder));
    // a target that does not exist gets no shortcut; the others are still made
    EXPECT_FALSE(fileExists(groupFolder() + "Missing.lnk"));
    EXPECT_FALSE(fileExists(shellFolder("Programs") + "\\Rovenda.lnk"));
    deleteTree(groupFolder());
}

TEST(Shortcuts, DesktopShortcutIsNamedAfterTheProductAndUsesTheFirstGroupEntry)
{
    std::string folder = prepare("shortcut-desktop", "1=Tool,tool.exe,-x\r\n2=Readme,readme.txt\r\n", 2);
    manageShortcuts(SHORTCUT_DESKTOP, 0, nullptr);
    std::string link = shellFolder("Desktop") + "\\Rovenda.lnk";
    EXPECT_TRUE(linkIs(link, folder + "tool.exe", "-x", folder));
    EXPECT_FALSE(fileExists(shellFolder("Desktop") + "\\Tool.lnk"));
    DeleteFileA(link.c_str());
}

TEST(Shortcuts, WithoutGroupEntriesTheTargetIsWhatTheLastReadLeft)
{
    std::string folder = prepare("shortcut-fallback", "", 0);
    // the last install step left the destination of the last install entry
    strcpy(setup.entryTarget, (folder + "readme.txt").c_str());
    manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
    std::string link = shellFolder("Programs") + "\\Rovenda.lnk";
    EXPECT_TRUE(linkIs(link, folder + "readme.txt", "", folder));
    EXPECT_FALSE(folderExists(groupFolder()));
    DeleteFileA(link.c_str());

    // a last target that is no existing file gives no shortcut
    strcpy(setup.entryTarget, (folder + "gone.txt").c_str());
    manageShortcuts(SHORTCUT_DESKTOP, 0, nullptr);
    EXPECT_FALSE(fileExists(shellFolder("Desktop") + "\\Rovenda.lnk"));
}

TEST(Shortcuts, SlashAsSecondArgumentCharacterGivesDashROnlyBeforeTheOptionsPage)
{
    std::string folder = prepare("shortcut-dash-r", "", 0);
    std::string link = shellFolder("Desktop") + "\\Tool.lnk";

    strcpy(setup.entryTarget, (folder + "tool.exe,a/b").c_str());
    setup.optionBits = 0;           // copy mode: the options page was never shown
    manageShortcuts(SHORTCUT_DESKTOP, 0, "Tool");
    EXPECT_TRUE(linkIs(link, folder + "tool.exe", "-r", folder));
    DeleteFileA(link.c_str());

    strcpy(setup.entryTarget, (folder + "tool.exe,a/b").c_str());
    setup.optionBits = OPTION_PAGE_DONE;
    manageShortcuts(SHORTCUT_DESKTOP, 0, "Tool");
    EXPECT_TRUE(linkIs(link, folder + "tool.exe", "", folder));
    DeleteFileA(link.c_str());

    // a slash elsewhere is an ordinary argument
    strcpy(setup.entryTarget, (folder + "tool.exe,/b").c_str());
    setup.optionBits = 0;
    manageShortcuts(SHORTCUT_DESKTOP, 0, "Tool");
    EXPECT_TRUE(linkIs(link, folder + "tool.exe", "/b", folder));
    DeleteFileA(link.c_str());
}

TEST(Shortcuts, RemovingTheGroupEmptiesAndRemovesTheGroupFolder)
{
    prepare("shortcut-remove-group", "1=Tool,tool.exe\r\n", 1);
    manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
    ASSERT_TRUE(fileExists(groupFolder() + "Tool.lnk"));
    writeFile(groupFolder() + "other.lnk", "not ours");   // files of others go too
    manageShortcuts(SHORTCUT_PROGRAMS, 1, nullptr);
    EXPECT_FALSE(folderExists(groupFolder()));
    EXPECT_TRUE(folderExists(shellFolder("Programs")));
}

TEST(Shortcuts, ASubfolderKeepsTheGroupFolderButItsFilesGo)
{
    prepare("shortcut-remove-subfolder", "1=Tool,tool.exe\r\n", 1);
    manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
    CreateDirectoryA((groupFolder() + "sub").c_str(), nullptr);
    manageShortcuts(SHORTCUT_PROGRAMS, 1, nullptr);
    EXPECT_FALSE(fileExists(groupFolder() + "Tool.lnk"));
    EXPECT_TRUE(folderExists(groupFolder() + "sub"));
    deleteTree(groupFolder());
}

TEST(Shortcuts, RemovalOutsideTheGroupDeletesOnlyTheProductsShortcut)
{
    std::string folder = prepare("shortcut-remove-single", "", 0);
    strcpy(setup.entryTarget, (folder + "tool.exe").c_str());
    manageShortcuts(SHORTCUT_DESKTOP, 0, nullptr);
    strcpy(setup.entryTarget, (folder + "tool.exe").c_str());
    manageShortcuts(SHORTCUT_DESKTOP, 0, "Tool");       // a copy-mode shortcut
    std::string desktop = shellFolder("Desktop") + "\\";
    ASSERT_TRUE(fileExists(desktop + "Rovenda.lnk"));
    manageShortcuts(SHORTCUT_DESKTOP, 1, "Tool");       // the name plays no part in removal
    EXPECT_FALSE(fileExists(desktop + "Rovenda.lnk"));
    EXPECT_TRUE(fileExists(desktop + "Tool.lnk"));
    DeleteFileA((desktop + "Tool.lnk").c_str());
}

TEST(Shortcuts, AGroupEntryTooLongForTheDestinationGetsNoShortcutAndTheGroupStillGoes)
{
    // a destination of 230 bytes: "Help" + its 40-byte target does not fit 259 bytes
    std::string manifestFolder = prepare("shortcut-long", "1=Main,a.txt\r\n2=Help," + std::string(36, 'h') + ".txt\r\n", 0);
    std::string folder = manifestFolder + std::string(230 - manifestFolder.size() - 1, 'd') + "\\";
    ASSERT_EQ(folder.size(), 230u);
    CreateDirectoryA(folder.c_str(), nullptr);
    writeFile(folder + "a.txt", "a");
    writeFile(folder + std::string(36, 'h') + ".txt", "h");
    // counted by the values alone, whatever the destination
    ASSERT_EQ(loadPreviousInstall(), 1);
    EXPECT_EQ(setup.groupCount, 2);
    strcpy(setup.destDir, folder.c_str());
    manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
    EXPECT_TRUE(linkIs(groupFolder() + "Main.lnk", folder + "a.txt", "", folder));
    EXPECT_FALSE(fileExists(groupFolder() + ".lnk"));
    EXPECT_FALSE(fileExists(groupFolder() + "Help.lnk"));
    manageShortcuts(SHORTCUT_PROGRAMS, 1, nullptr);
    EXPECT_FALSE(folderExists(groupFolder()));
}

TEST(Shortcuts, ProductShortcutFromAGroupEntryThatDoesNotFitIsLeftOut)
{
    std::string folder = prepare("shortcut-long-desktop", "1=Main," + std::string(250, 'm') + "\r\n", 1);
    writeFile(folder + "tool.exe", "MZ");
    strcpy(setup.entryTarget, (folder + "tool.exe").c_str());    // what an earlier read left
    manageShortcuts(SHORTCUT_DESKTOP, 0, nullptr);
    EXPECT_FALSE(fileExists(shellFolder("Desktop") + "\\Rovenda.lnk"));
}

// The Shell Folders and User Shell Folders values of one kind pointed at another folder
// while the object lives, then put back as they were.
class MovedShellFolder {
public:
    MovedShellFolder(const wchar_t* name, const std::wstring& folder) : name_(name)
    {
        for (int i = 0; i < 2; ++i) {
            HKEY key;
            RegCreateKeyExW(HKEY_CURRENT_USER, keys_[i], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
            DWORD size = sizeof saved_[i];
            had_[i] = RegQueryValueExW(key, name, nullptr, &types_[i], (BYTE*)saved_[i], &size) == ERROR_SUCCESS;
            sizes_[i] = size;
            RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)folder.c_str(), (DWORD)(folder.size() + 1) * sizeof(wchar_t));
            RegCloseKey(key);
        }
    }
    ~MovedShellFolder()
    {
        for (int i = 0; i < 2; ++i) {
            HKEY key;
            RegOpenKeyExW(HKEY_CURRENT_USER, keys_[i], 0, KEY_ALL_ACCESS, &key);
            if (had_[i])
                RegSetValueExW(key, name_, 0, types_[i], (const BYTE*)saved_[i], sizes_[i]);
            else
                RegDeleteValueW(key, name_);
            RegCloseKey(key);
        }
    }

private:
    const wchar_t* keys_[2] = { L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders" };
    const wchar_t* name_;
    wchar_t saved_[2][MAX_PATH] = {};
    DWORD types_[2] = {}, sizes_[2] = {};
    bool had_[2] = {};
};

TEST(Shortcuts, AreMadeAndRemovedInShellFoldersNamedOutsideTheCodePage)
{
    std::string folder = prepare("shortcut-foreign", "1=Tool,tool.exe\r\n", 1);
    std::wstring desktop = widened(folder) + foreignName + L" Desktop";
    std::wstring programs = widened(folder) + foreignName + L" Programs";
    ASSERT_TRUE(CreateDirectoryW(desktop.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(programs.c_str(), nullptr));
    MovedShellFolder movedDesktop(L"Desktop", desktop), movedPrograms(L"Programs", programs);
    manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
    manageShortcuts(SHORTCUT_DESKTOP, 0, nullptr);
    std::string group = shortPathOf(programs) + "\\KorvalDesk\\";
    EXPECT_TRUE(linkIs(group + "Tool.lnk", folder + "tool.exe", "", folder));
    EXPECT_TRUE(linkIs(shortPathOf(desktop) + "\\Rovenda.lnk", folder + "tool.exe", "", folder));

    // the group folder's files go by their short names, one the code page cannot hold too
    CloseHandle(CreateFileW((widened(group) + foreignName + L".lnk").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                            nullptr));
    manageShortcuts(SHORTCUT_PROGRAMS, 1, nullptr);
    manageShortcuts(SHORTCUT_DESKTOP, 1, nullptr);
    EXPECT_FALSE(folderExists(group));
    EXPECT_EQ(namesInFolder(shortPathOf(desktop) + "\\"), std::vector<std::string> {});
}
