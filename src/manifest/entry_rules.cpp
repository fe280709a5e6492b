// Parsing of install and group entries into entryValue / entryTarget / targetTail, and the
// rules of an entry's value they apply.
#include "manifest/entry_rules.h"

#include "app/state.h"
#include "util/text.h"

#include <string.h>

char* cutAtComma(char* text)
{
    char* comma = findChar(text, ',');
    if (comma == nullptr)
        return nullptr;
    *comma = 0;
    return comma + 1;
}

bool composeTarget(char* target, const char* destDir, const char* relative)
{
    if (textCopy(target, PATH_SIZE, destDir) && textAppend(target, PATH_SIZE, relative))
        return true;
    target[0] = 0;
    return false;
}

void splitInstallEntry(bool valueFits)
{
    // entryValue keeps the source part
    const char* relative = splitInstallValue(setup.entryValue);
    setup.targetTail = setup.entryTarget;
    // a cut path would name another file: leave no target, so that nothing is copied
    // over, created or deleted in its name
    if (!valueFits)
        setup.entryTarget[0] = 0;
    else if (composeTarget(setup.entryTarget, setup.destDir, relative))
        setup.targetTail += strlen(setup.destDir);
}

void splitGroupEntry(bool valueFits)
{
    char* target = valueFits ? cutAtComma(setup.entryValue) : nullptr;
    char composed[PATH_SIZE];
    if (target == nullptr || !composeTarget(composed, setup.destDir, target)) {
        setup.entryValue[0] = 0;    // no comma, or a target that does not fit: no entry
        return;
    }
    memcpy(setup.entryTarget, composed, sizeof composed);
}

bool isGroupEntry(const char* value)
{
    const char* comma = findChar(value, ',');
    return comma != nullptr && comma != value;
}
