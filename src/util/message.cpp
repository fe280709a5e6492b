// Message boxes of the form "path followed directly by a sentence".
#include "util/message.h"

#include "app/state.h"
#include "util/text.h"

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
void showPathError(const char* path, const char* sentence)
{
    char text[MESSAGE_SIZE];
    composeMessage(text, path, sentence);
    MessageBoxA(setup.activeDialog, text, product.messageCaption, MB_ICONERROR);
}
#endif
