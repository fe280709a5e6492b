// Unattended, the next install entry's file is copied beside its target by a second thread
// while this one makes the current copy its target. Under Wine every open, link and close
// waits for the wine server, and two threads keep it busier: a thousand small files install
// in nine tenths of the time. Only the step that makes a copy its target changes the
// destination, and it stays on this thread in entry order, so results and log lines are
// those of one entry after the other. An entry that could not be prepared (its folder not
// made yet, its source missing) is installed here as usual, with the messages it has.
#include "wizard/wizard.h"

#include "app/state.h"
#include "util/text.h"
#include "util/whole_copy.h"

#include <intrin.h>
#include <string.h>

enum : LONG { AHEAD_IDLE, AHEAD_ASKED, AHEAD_READY, AHEAD_QUIT };
enum { SPINS_BEFORE_SLEEP = 2000 };

// The one entry in the second thread's hands. Its fields belong to the thread from AHEAD_ASKED
// until it sets AHEAD_READY; held is this thread's copy taken from it.
struct CopyAhead {
    volatile LONG state;
    int asked;                  // 1 from the hand-over of entry number until it is taken
    int number;
    int prepared;               // 1 when copy is complete beside its target, both files open
    char source[PATH_SIZE];
    char target[PATH_SIZE];
    WholeCopy copy;
    WholeCopy held;
    int holding;
    HANDLE thread;
    char piece[COPY_PIECE_SIZE];    // the second thread's own buffer
};
static CopyAhead ahead;

// Read through volatile: the other thread's writes before its InterlockedExchange of the
// state are seen once the new state is; the barrier keeps the compiler from reading the
// record's other fields before it.
static LONG aheadState()
{
    LONG state = ahead.state;
    _ReadWriteBarrier();
    return state;
}

// The two threads hand the entry over in a shared word: under Wine an event costs a call to
// the wine server each way, as much as the work handed over. A longer wait sleeps.
static void waitWhile(LONG state, LONG orState)
{
    LONG now;
    for (int spins = 0; (now = aheadState()) == state || now == orState; ++spins) {
        if (spins < SPINS_BEFORE_SLEEP)
            SwitchToThread();
        else
            Sleep(1);
    }
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
        waitWhile(AHEAD_IDLE, AHEAD_READY);     // until an entry is handed over
        if (aheadState() == AHEAD_QUIT)
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
        InterlockedExchange(&a->state, AHEAD_READY);
    }
}

// Waits for the thread to finish the entry in its hands.
static void waitIdle()
{
    waitWhile(AHEAD_ASKED, AHEAD_ASKED);
}

// Whether one folder holds the other (both end in a backslash): the destination's files could
// then be sources. Compared without regard to case, trail bytes too: a false match only
// costs the speed.
static bool foldersOverlap()
{
    size_t dest = strlen(setup.destDir), base = strlen(setup.baseDir);
    char cut[PATH_SIZE];
    textCopy(cut, sizeof cut, dest < base ? setup.baseDir : setup.destDir);
    cut[dest < base ? dest : base] = 0;
    return lstrcmpiA(cut, dest < base ? setup.destDir : setup.baseDir) == 0;
}

void startCopyAhead()
{
    if (foldersOverlap())
        return;
    ahead.thread = CreateThread(nullptr, 0, prepareAhead, &ahead, 0, nullptr);
}

// An entry asked for and never taken: its copy goes.
static void dropUntaken()
{
    waitIdle();
    if (ahead.asked && ahead.prepared)
        closeCopy(&ahead.copy);
    ahead.asked = 0;
}

void askCopyAhead(int number, const char* source, const char* target)
{
    if (!ahead.thread)
        return;
    dropUntaken();
    textCopy(ahead.source, sizeof ahead.source, source);
    textCopy(ahead.target, sizeof ahead.target, target);
    ahead.number = number;
    ahead.asked = 1;
    InterlockedExchange(&ahead.state, AHEAD_ASKED);
}

void takeCopyAhead(int number)
{
    if (!ahead.asked || ahead.number != number)
        return;
    waitIdle();
    ahead.asked = 0;
    ahead.holding = ahead.prepared;
    ahead.held = ahead.copy;
    ahead.held.buffer = copyPiece;
    ahead.held.target = setup.entryTarget;      // the same text, loaded again for this entry
    InterlockedExchange(&ahead.state, AHEAD_IDLE);
}

int finishCopyAhead()
{
    static const int never = 0;
    if (!ahead.holding)
        return -1;
    ahead.holding = 0;
    return finishWholeCopy(&ahead.held, 0, &never);
}

void endCopyAhead()
{
    if (!ahead.thread)
        return;
    dropUntaken();
    if (ahead.holding)
        ahead.holding = closeCopy(&ahead.held);
    InterlockedExchange(&ahead.state, AHEAD_QUIT);
    WaitForSingleObject(ahead.thread, INFINITE);
    CloseHandle(ahead.thread);
    ahead.thread = nullptr;
}
