// The rules for files left in the installation folder (see leftover_name.h).
#include "uninstall/leftover_name.h"

#include "app/texts.h"
#include "util/message.h"
#include "util/text.h"

// Compares ASCII letters without regard to case and every other byte exactly: a name that
// a locale's comparison would only take for "gid" (ignoring a character, say) is still
// asked about, never deleted unasked.
static bool isExtension(const char* extension, const char* lowerCase)
{
    for (; *lowerCase; ++extension, ++lowerCase) {
        char c = *extension;
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != *lowerCase)
            return false;
    }
    return *extension == 0;
}

LeftoverRule leftoverRule(const char* name)
{
    const char* dot = findChar(name, '.');
    if (dot == nullptr)
        return LEFTOVER_ASK;
    if (isExtension(dot + 1, "gid"))
        return LEFTOVER_DELETE_UNASKED;
    return isExtension(dot + 1, "kvd") ? LEFTOVER_ASK_QSO_DATA : LEFTOVER_ASK;
}

void composeLeftoverQuestion(char* question, const char* path, LeftoverRule rule)
{
    composeMessage(question, path, removeFileQuestion, rule == LEFTOVER_ASK_QSO_DATA ? qsoDataWarning : nullptr);
}
