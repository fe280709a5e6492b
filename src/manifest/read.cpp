// Reading the setup manifest's install and group entries through the profile reader.
#include "manifest/entries.h"

#include "app/state.h"
#include "util/text.h"

#include <string.h>

ValueRead readManifestValue(const char* section, int number, char* buffer)
{
    // one byte more than a path buffer shows whether the value was longer than 259 bytes
    char value[PATH_SIZE + 1];
    DWORD length = GetPrivateProfileStringA(section, formatKey((unsigned)number), "", value, sizeof value,
                                            setup.manifestPath);
    buffer[0] = 0;
    if (length >= PATH_SIZE)
        return VALUE_TOO_LONG;
    memcpy(buffer, value, length + 1);
    return length == 0 ? VALUE_ABSENT : VALUE_READ;
}

int loadInstallEntry(int number)
{
    ValueRead read = VALUE_READ;
    if (number == -1) {
        textCopy(setup.entryValue, sizeof setup.entryValue, setup.exeName);
    } else if (number == 0) {
        textCopy(setup.entryValue, sizeof setup.entryValue, setup.manifestName);
    } else {
        read = readManifestValue("Install", number, setup.entryValue);
        if (read == VALUE_ABSENT) {
            setup.entryTarget[0] = 0;
            return 0;
        }
    }
    splitInstallEntry(read == VALUE_READ);
    return 1;
}

void loadGroupEntry(int number)
{
    ValueRead read = readManifestValue("Group", number, setup.entryValue);
    splitGroupEntry(read == VALUE_READ);
}
