// The argument text and the paths derived from the program's origin path.
#include "entry/arguments.h"

#include "app/state.h"
#include "util/text.h"

#include <string.h>

const char* argumentText(const char* commandLine)
{
    const unsigned char* p = (const unsigned char*)commandLine;
    if (*p == '"') {
        ++p;
        // the program name is quoted: it ends after the next quote, which is never a trail byte
        while (*p != 0 && *p != '"')
            p += (isLeadByte(*p) && p[1] != 0) ? 2 : 1;
        if (*p == '"')
            ++p;
    } else {
        while (*p > 32)
            ++p;
    }
    while (*p >= 1 && *p <= 32)
        ++p;
    return (const char*)p;
}

SetupMode selectMode(const char* arguments, const char** rest)
{
    const char* text = arguments;
    if (*text == '/')
        ++text;                     // only one slash: "//x" is the wizard
    *rest = (text[0] != 0 && text[1] != 0) ? text + 2 : "";
    switch (text[0]) {
    case 'c':
        return MODE_COPY;
    case 'r':
    case 'R':
        return MODE_RELAUNCH;
    case 'x':
        return MODE_UNINSTALL;
    }
    return MODE_WIZARD;
}

const char* removalSwitchesText(const char* arguments)
{
    const char* p = arguments + (*arguments == '/');
    if (*p != 'r' && *p != 'R')
        return nullptr;
    while (*++p >= '0' && *p <= '9') {
    }
    return (unsigned char)*p <= 32 ? p : nullptr;     // a blank, or the end of the line
}

static bool clearDerivedPaths()
{
    setup.baseDir[0] = setup.exeName[0] = setup.manifestName[0] = setup.manifestPath[0] = 0;
    return false;
}

bool deriveOriginPaths(const char* originPath)
{
    if (!textCopy(setup.baseDir, sizeof setup.baseDir, originPath))
        return clearDerivedPaths();
    char* end = setup.baseDir + strlen(setup.baseDir);
    char* slash = lastBackslashByte(setup.baseDir, end);
    // without a folder or without a file name the text names no program: nothing to derive
    if (slash == nullptr || slash[1] == 0)
        return clearDerivedPaths();
    char* name = slash + 1;
    if (!textCopy(setup.exeName, sizeof setup.exeName, name))
        return clearDerivedPaths();
    memcpy(setup.manifestName, setup.exeName, sizeof setup.exeName);
    toManifestName(setup.manifestName);
    *name = 0;                      // baseDir keeps its trailing backslash

    if (!textCopy(setup.manifestPath, sizeof setup.manifestPath, setup.baseDir)
        || !textAppend(setup.manifestPath, sizeof setup.manifestPath, setup.manifestName))
        return clearDerivedPaths();
    return true;
}
