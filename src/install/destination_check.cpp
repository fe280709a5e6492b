// The destination checks of Next, shared by the destination page and the unattended install:
// drive form, the folder made as a test, and the question when little space is free.
#include "install/install.h"

#include "app/state.h"
#include "app/texts.h"
#include "util/folders.h"
#include "util/free_space.h"
#include "util/message.h"
#include "util/text.h"

#include <string.h>

static const uint64_t enoughFreeBytes = 104857600;     // 100 MiB

bool refuseDriveForm(HWND owner)
{
    showMessage(owner, driveFormMessage, product.messageCaption, MB_ICONERROR);
    return false;
}

// The free-space question with whole MiB in place of the %u of its sentence.
static void composeLowSpaceQuestion(char* text, unsigned int megabytes)
{
    const char* marker = strstr(lowSpaceQuestion, "%u");
    char before[MESSAGE_SIZE];
    size_t head = (size_t)(marker - lowSpaceQuestion);
    memcpy(before, lowSpaceQuestion, head);
    before[head] = 0;
    composeMessage(text, before, formatKey(megabytes), marker + 2);
}

bool checkDestination(HWND owner)
{
    // a 259-byte text has no room left for its separator: refused like any malformed path
    if (!ensureTrailingSeparator(setup.destDir, sizeof setup.destDir) || strlen(setup.destDir) < 4
        || setup.destDir[1] != ':' || setup.destDir[2] != '\\')
        return refuseDriveForm(owner);

    setup.activeDialog = owner;
    if (!makeFolderPath(setup.destDir))
        return false;               // the folder message has been shown
    // the test leaves the levels above; the last one goes again unless it holds something
    RemoveDirectoryA(setup.destDir);

    uint64_t freeBytes = freeBytesOnDestination();
    if (freeBytes >= enoughFreeBytes)
        return true;
    char question[MESSAGE_SIZE];
    composeLowSpaceQuestion(question, (unsigned int)(freeBytes >> 20));
    return showMessage(owner, question, product.messageCaption, MB_ICONQUESTION | MB_YESNO) == IDYES;
}
