// Reading the setup manifest's install and group entries from the manifest read once.
#include "manifest/entries.h"

#include "app/state.h"
#include "manifest/manifest_file.h"
#include "util/text.h"

#include <string.h>

ValueRead readManifestValue(const char* section, int number, char* buffer)
{
    IniLine line;
    if (!findManifestEntry(section, number, &line)) {
        buffer[0] = 0;
        return VALUE_ABSENT;
    }
    return takeEntryValue(line, buffer);
}

int loadInstallEntry(int number)
{
    ValueRead read = VALUE_READ;
    if (number == -1) {
        textCopy(setup.entryValue, sizeof setup.entryValue, setup.exeName);
    } else if (number == 0) {
        textCopy(setup.entryValue, sizeof setup.entryValue, setup.manifestName);
    } else {
        read = readManifestValue(installSection, number, setup.entryValue);
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
    ValueRead read = readManifestValue(groupSection, number, setup.entryValue);
    splitGroupEntry(read == VALUE_READ);
}
