// Creation and removal of the product's shell shortcuts through the shell-link object.
#include "shortcuts/shortcuts.h"

#include "app/state.h"
#include "app/texts.h"
#include "manifest/entries.h"
#include "util/file_stamp.h"
#include "util/folders.h"
#include "util/log.h"
#include "util/system_names.h"
#include "util/text.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

static const char groupFolderName[] = "KorvalDesk";

// The shell folder of a kind with a trailing backslash; false when the Shell Folders key
// or the value is missing, the path leaves no room, or the code page cannot name it even
// by its short form (a user name such as Zoë on a Japanese system): the kind is then skipped.
static bool readShellFolder(int kind, char* folder)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    // read as the system keeps it: the ANSI read would put a look-alike or "?" in the path
    WCHAR name[16];
    MultiByteToWideChar(CP_ACP, 0, product.shellFolderNames[kind], -1, name, 16);
    WCHAR value[PATH_SIZE + 1];
    DWORD size = PATH_SIZE * sizeof(WCHAR);
    LONG read = RegQueryValueExW(key, name, nullptr, nullptr, (BYTE*)value, &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        return false;
    value[size / sizeof(WCHAR)] = 0;
    if (value[0] == 0)
        return false;
    return ansiPath(value, folder, PATH_SIZE) && textAppend(folder, PATH_SIZE, "\\");
}

// Deletes a shortcut or the group folder: when it stays (read-only, held open by another
// program, or holding a file of the user's), the log says so and the run ends with the code
// of something left.
static void removeLink(const char* path, BOOL (WINAPI *remove)(LPCSTR))
{
    if (remove(path)) {
        logResult(1, logDeleteWord, path);
    } else if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        logResult(0, logDeleteWord, path);
        raiseExitCode(EXIT_REMOVAL_FAILED);
    }
}

// Deletes every file of the group folder (given without its trailing backslash), then the
// folder itself if that left it empty.
static void removeGroupFolder(char* folder)
{
    size_t folderLength = strlen(folder);
    if (!textAppend(folder, PATH_SIZE, "\\*.*"))
        return;
    char* tail = folder + folderLength + 1;     // just after the backslash
    WIN32_FIND_DATAA found;
    HANDLE search = findFirstEntry(folder, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            *tail = 0;
            // subfolders and read-only files just fail to delete, as "." and ".." do; a name
            // the code page cannot hold, without a short one, is left alone
            if (nameIsExact(found.cFileName) && textAppend(folder, PATH_SIZE, found.cFileName))
                DeleteFileA(folder);
        } while (findNextEntry(search, &found));
        FindClose(search);
    }
    folder[folderLength] = 0;
    removeLink(folder, RemoveDirectoryA);
}

// Splits the arguments off entryTarget and hands them to the link: a target part
// "tool.exe,-q" gives the arguments -q; a second character "/" stands for the
// copy's own run argument, "-r", unless the options page has been completed.
static void setLinkArguments(IShellLinkA* link)
{
    char* comma = findChar(setup.entryTarget, ',');
    if (comma == nullptr)
        return;
    *comma = 0;
    const char* arguments = comma + 1;
    if (arguments[0] != 0 && arguments[1] == '/') {
        if (!(setup.optionBits & OPTION_PAGE_DONE))
            link->SetArguments("-r");
    } else {
        link->SetArguments(arguments);
    }
}

// Writes one shortcut named entryValue in linkFolder for the target in entryTarget.
static void saveShortcut(const char* linkFolder)
{
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return;
    setLinkArguments(link);
    char linkPath[PATH_SIZE];
    WCHAR widePath[PATH_SIZE];
    bool named = textCopy(linkPath, sizeof linkPath, linkFolder) && textAppend(linkPath, sizeof linkPath, setup.entryValue)
                 && textAppend(linkPath, sizeof linkPath, ".lnk")
                 && MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, PATH_SIZE) != 0;
    if (named && fileStamp(setup.entryTarget) != 0) {
        link->SetPath(setup.entryTarget);
        link->SetWorkingDirectory(setup.destDir);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
            HRESULT saved = file->Save(widePath, TRUE);
            SetLastError((DWORD)saved);     // the log's error text: the system knows these too
            logResult(SUCCEEDED(saved), logShortcutWord, linkPath);
            file->Release();
        }
    }
    link->Release();
}

void manageShortcuts(int kind, int remove, const char* name)
{
    char folder[PATH_SIZE];
    if (!readShellFolder(kind, folder))
        return;
    bool groupCase = kind == SHORTCUT_PROGRAMS && setup.groupCount != 0;
    if (groupCase) {
        if (!textAppend(folder, sizeof folder, groupFolderName))
            return;
        if (remove) {
            removeGroupFolder(folder);
            return;
        }
        if (!textAppend(folder, sizeof folder, "\\"))
            return;
        // when the level cannot be made its message is shown, and the saves below fail
        makeFolderLevel(folder);
    }

    if (remove) {
        char linkPath[PATH_SIZE];
        if (textCopy(linkPath, sizeof linkPath, folder) && textAppend(linkPath, sizeof linkPath, product.productName)
            && textAppend(linkPath, sizeof linkPath, ".lnk"))
            removeLink(linkPath, DeleteFileA);
        return;
    }

    // A group entry whose target does not fit the destination reads as no entry: it gets
    // no shortcut, rather than one named ".lnk" to whatever the last read left behind.
    int count = 1;
    if (groupCase) {
        loadGroupEntry(1);
        count = setup.groupCount;
    } else {
        if (name == nullptr) {
            loadGroupEntry(1);
            if (setup.groupCount != 0 && setup.entryValue[0] == 0)
                return;             // the product's shortcut would point at group entry 1
        }
        // without group entries the target stays what the last read left in entryTarget
        textCopy(setup.entryValue, sizeof setup.entryValue, name ? name : product.productName);
    }

    CoInitialize(nullptr);
    for (int i = 1; i <= count; ++i) {
        if (i >= 2)
            loadGroupEntry(i);
        if (groupCase && setup.entryValue[0] == 0)
            continue;
        saveShortcut(folder);
    }
    CoUninitialize();
}
