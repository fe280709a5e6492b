// DLLs only from the system directory (see system_dlls.h). The program runs as SETUP.EXE
// from download folders, where others can leave DLLs; Windows looks beside the program
// first for any DLL that is not a KnownDLL. Restricting the search is not enough by itself:
// system DLLs resolve some loads by name in ways that do not follow the restriction, so the
// DLLs that are loaded by name are loaded here, from the system directory, before anything
// can ask for them; a module already loaded is what every later load by name gets.
#include "util/system_dlls.h"

#include "app/state.h"
#include "util/text.h"

// Loaded by name by system code once the program runs: the common controls load the theme
// library in their start-up, the theme library loads msimg32 when it first draws. These two
// are all that the wizard, the folder picker, the shell-link code and the uninstall dialogs
// were seen to load after start-up; everything else they use is loaded with the program's
// own imports, before any of its code runs.
static const char* const loadedByName[] = { "uxtheme.dll", "msimg32.dll" };

static bool searchRestricted;

static HMODULE loadSystemDll(const char* name)
{
    if (searchRestricted)
        return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // no restriction on this system: the full path, whose own dependencies are then
    // searched from the system directory too
    char path[PATH_SIZE];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !textAppend(path, sizeof path, "\\") ||
        !textAppend(path, sizeof path, name))
        return nullptr;
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void restrictDllSearch()
{
    // looked up at run time: systems without it still start
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    SetDefaultDllDirectoriesProc setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    searchRestricted = setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!searchRestricted)
        SetDllDirectoryA("");       // at least the current directory is never searched
}

void loadWindowDlls()
{
    for (const char* name : loadedByName)
        loadSystemDll(name);
}

static HMODULE commonControls()
{
    static HMODULE module;
    // by name, not by path: the program's manifest then selects version 6; a restricted
    // search finds it only in the system's side-by-side store or the system directory
    if (!module)
        module = LoadLibraryA("comctl32.dll");
    return module;
}

static FARPROC commonControlsProc(const char* name)
{
    HMODULE module = commonControls();
    return module ? GetProcAddress(module, name) : nullptr;
}

BOOL initCommonControls(DWORD classes)
{
    typedef BOOL(WINAPI * InitProc)(const INITCOMMONCONTROLSEX*);
    InitProc init = reinterpret_cast<InitProc>(reinterpret_cast<void*>(commonControlsProc("InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls = { sizeof controls, classes };
    return init ? init(&controls) : FALSE;
}

INT_PTR showPropertySheet(LPCPROPSHEETHEADERA header)
{
    typedef INT_PTR(WINAPI * SheetProc)(LPCPROPSHEETHEADERA);
    SheetProc sheet = reinterpret_cast<SheetProc>(reinterpret_cast<void*>(commonControlsProc("PropertySheetA")));
    return sheet ? sheet(header) : -1;
}
