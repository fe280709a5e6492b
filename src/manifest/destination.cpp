// The proposed destination: the default folder, or the folder of the stored uninstall command.
#include "manifest/destination.h"

#include "app/state.h"
#include "util/text.h"

#include <string.h>

bool parseUninstallCommand(char* value, int* options)
{
    // the slash is looked for in the whole text, before the quote goes, also inside the path
    const char* slash = findChar(value, '/');
    if (slash) {
        const char* digits = slash;
        while (*digits != 0 && (*digits < '0' || *digits > '9'))
            ++digits;
        int number = parseDecimal(digits);
        *options = number < 2 ? product.savedOptions : number;
    }
    if (value[0] == 0)
        return false;

    char terminator = ' ';
    if (value[0] == '"') {
        memmove(value, value + 1, strlen(value));
        terminator = '"';
    }
    char* end = findChar(value, terminator);
    if (end == nullptr)
        return true;                // no terminator: the whole text is the proposal
    // the walk back to the folder's backslash compares single bytes on purpose
    char* backslash = lastBackslashByte(value, end);
    if (backslash == nullptr)
        return false;
    backslash[1] = 0;
    return true;
}

void setDefaultDestination(const char* windowsDir)
{
    if (windowsDir[0] != 0 && windowsDir[1] == ':') {
        setup.destDir[0] = windowsDir[0];
        setup.destDir[1] = ':';
        setup.destDir[2] = '\\';
        setup.destDir[3] = 0;
    } else {
        textCopy(setup.destDir, sizeof setup.destDir, "C:\\");
    }
    textAppend(setup.destDir, sizeof setup.destDir, product.productKey);
    textAppend(setup.destDir, sizeof setup.destDir, "\\");
}
