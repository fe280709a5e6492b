// Deletion of a registry key with all its subkeys, deepest first.
#include "uninstall/uninstall.h"

#include "util/text.h"

int removeRegistryTree(HKEY parent, const char* subkey)
{
    HKEY key;
    if (RegOpenKeyExA(parent, subkey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char previous[256] = "";
        char name[256];
        DWORD index = 0;
        // a removed subkey makes room for the next one at the same index; one that is still
        // there after its removal was tried once and is passed over, so the loop always ends
        while (RegEnumKeyA(key, index, name, sizeof name) == ERROR_SUCCESS) {
            if (lstrcmpiA(name, previous) != 0) {
                removeRegistryTree(key, name);
                textCopy(previous, sizeof previous, name);
            } else {
                ++index;
            }
        }
        RegCloseKey(key);
    }
    LONG deleted = RegDeleteKeyA(parent, subkey);
    SetLastError((DWORD)deleted);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}
