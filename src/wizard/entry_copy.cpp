// The copy of one install entry's file, in pieces, with the wizard's messages let through
// between pieces: the window keeps answering while a large file is copied.
#include "wizard/wizard.h"

#include "app/state.h"

#include <commctrl.h>

enum { ANSWER_INTERVAL_MS = 40 };

// Lets the wizard's messages through while a step runs, as the sheet's own loop would. No
// other step can start meanwhile: installStep turns away a step command while one runs, and
// the next one is posted only when this step ends.
static void answerMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);   // for the loop that owns it
            return;
        }
        if (!PropSheet_IsDialogMessage(setup.sheetWindow, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

static bool copyPieces(HANDLE in, HANDLE out)
{
    bool ok = true;
    DWORD answeredAt = GetTickCount();
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(in, copyPiece, COPY_PIECE_SIZE, &read, nullptr)) {
            ok = false;
            break;
        }
        if (read == 0)
            break;
        if (!WriteFile(out, copyPiece, read, &written, nullptr) || written != read) {
            ok = false;
            break;
        }
        if (GetTickCount() - answeredAt >= ANSWER_INTERVAL_MS) {
            answerMessages();
            answeredAt = GetTickCount();
        }
        if (setup.installCancelled) {   // Cancel while the file was copied
            ok = false;
            break;
        }
    }
    return ok;
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
    FILETIME lastWrite;
    lastWrite.dwLowDateTime = (DWORD)info.LastWriteTime.QuadPart;
    lastWrite.dwHighDateTime = (DWORD)(info.LastWriteTime.QuadPart >> 32);
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
    bool ok = copyPieces(in, out);
    // as a copy by the system: the source's last-write time and attributes
    if (ok)
        ok = SetFileTime(out, nullptr, nullptr, &lastWrite) != 0;
    CloseHandle(out);
    CloseHandle(in);
    if (!ok) {
        DeleteFileA(target);            // no unfinished file is left behind
        return 0;
    }
    if (info.FileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(target, info.FileAttributes);
    return 1;
}
