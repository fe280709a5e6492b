// Message boxes of the form "path followed directly by a sentence".
#include "util/message.h"

#include "app/state.h"
#include "util/text.h"

#ifdef _WIN32
#include "util/log.h"
#endif

void composeMessage(char* text, const char* first, const char* second, const char* third, const char* fourth)
{
    text[0] = 0;
    const char* parts[] = { first, second, third, fourth };
    for (const char* part : parts) {
        if (part)
            textAppend(text, MESSAGE_SIZE, part);
    }
}

#ifdef _WIN32
int showMessage(HWND owner, const char* text, const char* caption, UINT type, DWORD error)
{
    logMessage(text, error);
    if (setup.unattended)
        return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    return MessageBoxA(owner, text, caption, type);
}

void showPathError(const char* path, const char* sentence)
{
    DWORD error = GetLastError();
    char text[MESSAGE_SIZE];
    composeMessage(text, path, sentence);
    showMessage(setup.activeDialog, text, product.messageCaption, MB_ICONERROR, error);
}
#endif
