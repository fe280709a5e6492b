// The copy of one install entry's file, in pieces. A large file is finished by a thread of
// its own while the wizard's thread lets the window's messages through: the window keeps
// answering even while a single write waits for the disk.
#include "install/install.h"

#include "app/state.h"
#include "util/whole_copy.h"

#include <commctrl.h>

// a file of up to 256 KiB is copied at once on the wizard's thread, without a thread's cost
enum { PIECES_BEFORE_THREAD = 4 };

// Lets the wizard's messages through while a step runs, as the sheet's own loop would. No
// other step can start meanwhile: installStep turns away a step command while one runs, and
// the next one is posted only when this step ends. False once the loop is told to quit.
static bool answerMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);   // for the loop that owns it
            return false;
        }
        if (!PropSheet_IsDialogMessage(setup.sheetWindow, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

// One file's copy and how far it came
struct PieceCopy {
    WholeCopy whole;
    int state;          // as copyWholePiece: 1 while pieces are left
    int ok;             // 1 once the target is replaced by the whole file
};

// The rest of the copy, then the step that makes it the target, and the close: closing a
// large new file can wait for the disk for a good part of a second, so that too is done off
// the wizard's thread. Cancel, pressed meanwhile on the wizard's thread, ends the copy.
static DWORD WINAPI finishCopy(void* parameter)
{
    PieceCopy* copy = static_cast<PieceCopy*>(parameter);
    copy->ok = finishWholeCopy(&copy->whole, copy->state, &setup.installCancelled);
    return 0;
}

static void copyAnswering(PieceCopy* copy)
{
    copy->state = 1;
    for (int piece = 0; piece < PIECES_BEFORE_THREAD && copy->state > 0; ++piece)
        copy->state = copyWholePiece(&copy->whole);   // Cancel cannot come in meanwhile
    // The rest goes to a thread; this one waits for it and answers the window meanwhile.
    // The step does not end before the thread does, so no two copies ever run at once.
    HANDLE thread = copy->state > 0 ? CreateThread(nullptr, 0, finishCopy, copy, 0, nullptr) : nullptr;
    if (!thread) {
        finishCopy(copy);       // a small file, or no thread to be had: here then
        return;
    }
    bool answering = true;
    while (answering && MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        answering = answerMessages();
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

int copyEntryAnswering(const char* source, const char* target)
{
    PieceCopy copy;
    if (!beginWholeCopy(&copy.whole, source, target))
        return 0;
    copyAnswering(&copy);       // the target is replaced, or stays as it was
    return copy.ok;
}
