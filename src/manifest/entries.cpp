// Parsing of install and group entries into entryValue / entryTarget / targetTail.
#include "manifest/entries.h"

#include "app/state.h"
#include "util/text.h"

#include <string.h>

void splitInstallEntry(bool valueFits)
{
    char* comma = findChar(setup.entryValue, ',');
    setup.entryTarget[0] = 0;
    setup.targetTail = setup.entryTarget;
    const char* relative = setup.entryValue;
    if (comma) {
        *comma = 0;                 // entryValue keeps the source part
        relative = comma + 1;
    }
    bool fits = valueFits && textCopy(setup.entryTarget, sizeof setup.entryTarget, setup.destDir);
    char* tail = setup.entryTarget + strlen(setup.entryTarget);
    fits = fits && textAppend(setup.entryTarget, sizeof setup.entryTarget, relative);
    if (!fits) {
        // a cut path would name another file: leave no target, so that nothing is
        // copied over, created or deleted in its name
        setup.entryTarget[0] = 0;
        tail = setup.entryTarget;
    }
    setup.targetTail = tail;
}

void splitGroupEntry(bool valueFits)
{
    char* comma = findChar(setup.entryValue, ',');
    if (!valueFits || comma == nullptr) {
        setup.entryValue[0] = 0;
        return;
    }
    *comma = 0;
    char target[PATH_SIZE];
    if (!textCopy(target, sizeof target, setup.destDir) || !textAppend(target, sizeof target, comma + 1)) {
        setup.entryValue[0] = 0;    // a target that does not fit is no entry
        return;
    }
    memcpy(setup.entryTarget, target, sizeof target);
}

bool isGroupEntry(const char* value)
{
    const char* comma = findChar(value, ',');
    return comma != nullptr && comma != value;
}
