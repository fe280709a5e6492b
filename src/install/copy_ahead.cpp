// Unattended, the next two install entries' files are copied beside their targets by two
// more threads, one entry each, while this one makes the current copy its target. Under Wine
// every open, link and close waits for the wine server, and three threads keep it busier.
// Only the step that makes a copy its target changes the destination, and it stays on this
// thread in entry order, so results and log lines are those of one entry after the other.
// An entry that could not be prepared (its folder not made yet, its source missing) is
// installed here as usual, with the messages it has.
#include "install/install.h"

#include "app/state.h"
#include "util/file_identity.h"
#include "util/text.h"
#include "util/whole_copy.h"

#include <intrin.h>
#include <string.h>

enum : LONG { AHEAD_IDLE, AHEAD_ASKED, AHEAD_READY, AHEAD_QUIT };
enum { SPINS_BEFORE_WAIT = 2000, AHEAD_THREADS = 2 };

// The entry in one copying thread's hands: the thread of an entry is its number's lowest bit.
// Its fields belong to the thread from AHEAD_ASKED until it sets AHEAD_READY; entry number is
// handed over and not yet taken while the state is not AHEAD_IDLE.
struct CopyAhead {
    volatile LONG state;
    int number;
    int prepared;               // 1 when copy is complete beside its target, both files open
    char source[PATH_SIZE];
    char target[PATH_SIZE];
    WholeCopy copy;
    HANDLE thread;
    char piece[COPY_PIECE_SIZE];    // the thread's own buffer
};
static CopyAhead ahead[AHEAD_THREADS];
static WholeCopy held;          // the copy taken for the entry now installed
static int holding;

// The system's wait on a word's change and its wake (Windows 8 and later, looked up once)
typedef BOOL(WINAPI* WaitOnAddressProc)(volatile void*, void*, SIZE_T, DWORD);
typedef void(WINAPI* WakeByAddressProc)(void*);
static WaitOnAddressProc waitOnAddress;
static WakeByAddressProc wakeByAddress;

// Read through volatile: the other thread's writes before its InterlockedExchange of the
// state are seen once the new state is; the barrier keeps the compiler from reading the
// record's other fields before it.
static LONG aheadState(const CopyAhead* a)
{
    LONG state = a->state;
    _ReadWriteBarrier();
    return state;
}

// The threads hand an entry over in a shared word: under Wine an event costs a call to the
// wine server each way, as much as the work handed over. The wait first gives up the
// processor (Sleep(0)), then, for a longer one, sleeps until the word changes: the system's
// wait on an address wakes at once when it does (where it is missing, Sleep(1), which can
// last a whole timer tick of 15.6 ms on Windows).
static void waitWhile(CopyAhead* a, LONG state, LONG orState)
{
    LONG now;
    for (int spins = 0; (now = aheadState(a)) == state || now == orState; ++spins) {
        if (spins < SPINS_BEFORE_WAIT)
            Sleep(0);
        else if (waitOnAddress)
            waitOnAddress(&a->state, &now, sizeof now, INFINITE);
        else
            Sleep(1);
    }
}

// The new state, and the other thread woken if it waits for it
static void handOver(CopyAhead* a, LONG state)
{
    InterlockedExchange(&a->state, state);
    if (wakeByAddress)
        wakeByAddress((void*)&a->state);
}

// Closes both files of a copy that is not to become its target: the temporary file goes. 0.
static int closeCopy(WholeCopy* copy)
{
    CloseHandle(copy->in);
    CloseHandle(copy->out);
    return 0;
}

static DWORD WINAPI prepareAhead(void* parameter)
{
    CopyAhead* a = static_cast<CopyAhead*>(parameter);
    for (;;) {
        waitWhile(a, AHEAD_IDLE, AHEAD_READY);      // until an entry is handed over
        if (aheadState(a) == AHEAD_QUIT)
            return 0;
        a->prepared = beginWholeCopy(&a->copy, a->source, a->target);
        if (a->prepared) {
            int state;
            a->copy.buffer = a->piece;
            while ((state = copyWholePiece(&a->copy)) > 0) {
            }
            if (state < 0)
                a->prepared = closeCopy(&a->copy);      // the unfinished copy goes
        }
        handOver(a, AHEAD_READY);
    }
}

// Whether folder (ending in a backslash) or a folder above it is the folder outer, compared as
// folders (util/file_identity.h), so that the same folder under two names (a short name, a
// substituted drive, a share) is one; when outer cannot be opened, as if it were.
static bool within(const char* folder, const char* outer)
{
    char path[PATH_SIZE];
    path[0] = 0;                // read below even when outer cannot be opened
    HANDLE known = openForIdentity(outer);
    bool inside = known == INVALID_HANDLE_VALUE || !textCopy(path, sizeof path, folder);
    // up level by level, cut after each backslash from the last one: the search compares
    // single bytes on purpose, a trail byte 0x5C only adds a path that is no level of it
    for (char* end = path + strlen(path) - 1; !inside && end && end >= path + 2; end = lastBackslashByte(path, end)) {
        end[1] = 0;
        inside = isOpenFile(path, known);
    }
    if (known != INVALID_HANDLE_VALUE)
        CloseHandle(known);
    return inside;
}

// Whether the destination and the setup program's folder hold one another: the destination's
// files could then be sources. Compared as folders, not as text, so that the same folder
// under two names is one.
static bool foldersOverlap()
{
    return within(setup.destDir, setup.baseDir) || within(setup.baseDir, setup.destDir);
}

void startCopyAhead()
{
    if (foldersOverlap())
        return;
    HMODULE system = GetModuleHandleA("kernelbase.dll");
    waitOnAddress =
        reinterpret_cast<WaitOnAddressProc>(reinterpret_cast<void*>(GetProcAddress(system, "WaitOnAddress")));
    wakeByAddress =
        reinterpret_cast<WakeByAddressProc>(reinterpret_cast<void*>(GetProcAddress(system, "WakeByAddressSingle")));
    for (CopyAhead& a : ahead)
        a.thread = CreateThread(nullptr, 0, prepareAhead, &a, 0, nullptr);
}

// Waits for the thread to finish the entry in its hands; an entry handed over and never
// taken then goes.
static void dropUntaken(CopyAhead* a)
{
    waitWhile(a, AHEAD_ASKED, AHEAD_ASKED);
    if (aheadState(a) == AHEAD_READY && a->prepared)
        closeCopy(&a->copy);
    a->state = AHEAD_IDLE;
}

void askCopyAhead(int number, const char* source, const char* target)
{
    CopyAhead* a = &ahead[number & 1];
    if (!a->thread)
        return;
    dropUntaken(a);
    textCopy(a->source, sizeof a->source, source);
    textCopy(a->target, sizeof a->target, target);
    a->number = number;
    handOver(a, AHEAD_ASKED);
}

void takeCopyAhead(int number)
{
    CopyAhead* a = &ahead[number & 1];
    if (aheadState(a) == AHEAD_IDLE || a->number != number)
        return;
    waitWhile(a, AHEAD_ASKED, AHEAD_ASKED);
    holding = a->prepared;
    held = a->copy;
    held.buffer = copyPiece;
    held.target = setup.entryTarget;        // the same text, loaded for this entry next
    InterlockedExchange(&a->state, AHEAD_IDLE);
}

int finishCopyAhead()
{
    static const int never = 0;
    if (!holding)
        return -1;
    holding = 0;
    return finishWholeCopy(&held, 0, &never);
}

void endCopyAhead()
{
    for (CopyAhead& a : ahead) {
        if (!a.thread)
            continue;
        dropUntaken(&a);
        handOver(&a, AHEAD_QUIT);
        WaitForSingleObject(a.thread, INFINITE);
        CloseHandle(a.thread);
        a.thread = nullptr;
    }
}
