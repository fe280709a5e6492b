// The copy of one install entry's file, in pieces. A large file is finished by a thread of
// its own while the wizard's thread lets the window's messages through: the window keeps
// answering even while a single write waits for the disk.
#include "wizard/wizard.h"

#include "app/state.h"

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

// 1: a piece was copied; 0: the whole file is; -1: a read or write failed, or Cancel was
// pressed (the wizard's thread sets the flag while the copy thread reads it)
static int copyOnePiece(HANDLE in, HANDLE out)
{
    DWORD read = 0, written = 0;
    if (!ReadFile(in, copyPiece, COPY_PIECE_SIZE, &read, nullptr))
        return -1;
    if (read == 0)
        return 0;
    if (!WriteFile(out, copyPiece, read, &written, nullptr) || written != read)
        return -1;
    return *(volatile int*)&setup.installCancelled ? -1 : 1;
}

// One file's copy: the two files, the time the target gets, and how far it came
struct PieceCopy {
    HANDLE in;
    HANDLE out;
    FILETIME lastWrite;
    int state;          // as copyOnePiece: 1 while pieces are left
    int ok;             // 1 once the whole file is copied and has the source's time
};

// The rest of the copy, then the target's time and its close: closing a large new file can
// wait for the disk for a good part of a second, so that too is done off the wizard's thread.
static DWORD WINAPI finishCopy(void* parameter)
{
    PieceCopy* copy = static_cast<PieceCopy*>(parameter);
    while (copy->state > 0)
        copy->state = copyOnePiece(copy->in, copy->out);
    // as a copy by the system: the source's last-write time
    copy->ok = copy->state == 0 && SetFileTime(copy->out, nullptr, nullptr, &copy->lastWrite);
    CloseHandle(copy->out);
    return 0;
}

static void copyAnswering(PieceCopy* copy)
{
    copy->state = 1;
    for (int piece = 0; piece < PIECES_BEFORE_THREAD && copy->state > 0; ++piece)
        copy->state = copyOnePiece(copy->in, copy->out);
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
    HANDLE in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return 0;
    // attributes and times only: the fuller GetFileInformationByHandle also asks for the
    // volume's serial number, which under Wine costs more than copying a small file
    FILE_BASIC_INFO info;
    if (!GetFileInformationByHandleEx(in, FileBasicInfo, &info, sizeof info) ||
        (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(in);
        return 0;
    }
    // an existing target is replaced; a read-only one refuses, and the caller clears it.
    // The source's attributes are given at creation, which saves a call by path for every
    // file; read-only comes only after the copy, so that a cut file can still be deleted
    DWORD attributes = info.FileAttributes & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    HANDLE out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        CloseHandle(in);
        return 0;
    }
    PieceCopy copy = { in, out, {}, 0, 0 };
    copy.lastWrite.dwLowDateTime = (DWORD)info.LastWriteTime.QuadPart;
    copy.lastWrite.dwHighDateTime = (DWORD)(info.LastWriteTime.QuadPart >> 32);
    copyAnswering(&copy);       // closes the target
    CloseHandle(in);
    if (!copy.ok) {
        DeleteFileA(target);            // no unfinished file is left behind
        return 0;
    }
    if (info.FileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(target, info.FileAttributes);
    return 1;
}
