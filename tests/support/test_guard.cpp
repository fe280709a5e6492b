// Test support: the guard against unexpected message boxes, leftover processes and tests
// that wait too long (see test_guard.h).
#include "test_guard.h"

#include "scratch.h"
#include "windows_seen.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <stdio.h>

#include <algorithm>
#include <mutex>
#include <thread>

namespace {

const DWORD defaultBoundMs = 90000;     // far below ctest's limit for a whole suite
const DWORD boxGraceMs = 3000;          // the tests' own watchers answer within milliseconds
const DWORD endGraceMs = 15000;         // after the bound: time to unwind before the program ends

// Wine's own programs that a test program may start on first need; they are not the test's.
const char* const platformPrograms[] = { "explorer.exe", "services.exe", "rpcss.exe", "plugplay.exe",
                                         "winedevice.exe", "svchost.exe", "conhost.exe" };

struct SeenBox {
    HWND window;
    DWORD firstSeen;
};

struct Guard {
    std::mutex mutex;
    HANDLE job = nullptr;       // every process the test program starts lands in it
    std::string test;           // the running test, "" between tests
    DWORD start = 0;
    DWORD boundMs = defaultBoundMs;
    DWORD boundPassedAt = 0;    // 0 while within the bound
    std::string waitingFor;
    std::vector<SeenBox> boxes;
};

Guard guard;

std::string imageName(DWORD pid)
{
    std::string name;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return name;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == pid)
            name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

bool isPlatformProgram(DWORD pid)
{
    std::string name = imageName(pid);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    for (const char* program : platformPrograms)
        if (lstrcmpiA(name.c_str(), program) == 0)
            return true;
    return false;
}

std::vector<DWORD> jobProcesses(HANDLE job)
{
    std::vector<DWORD> pids;
    if (!job)
        return pids;
    // the list's header and room for 255 more ids
    std::vector<ULONG_PTR> buffer(2 + 256);
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, (DWORD)(buffer.size() * sizeof(ULONG_PTR)),
                                   nullptr))
        return pids;
    const ULONG_PTR* ids = &buffer[2];
    // Wine (x86_64) was seen to list a process that had just ended with the id 0
    for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i)
        if ((DWORD)ids[i] != GetCurrentProcessId() && ids[i] != 0)
            pids.push_back((DWORD)ids[i]);
    return pids;
}

// Ends every process of the test's own, by pid, and waits for each to be gone.
void endTestProcesses(HANDLE job)
{
    for (DWORD pid : jobProcesses(job)) {
        if (isPlatformProgram(pid))
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process)
            continue;
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

int answerFor(const SeenDialog& box)
{
    for (int id : { IDOK, IDCANCEL, IDNO })
        if (box.button(id))
            return id;
    return box.buttons.empty() ? 0 : box.buttons.front().id;
}

// Message boxes of the test program and of its processes that no test has read in time.
// Works without the lock: reading a box sends messages to the thread that shows it, and
// that thread may be waiting for the lock.
std::vector<SeenBox> watchBoxes(HANDLE job, std::vector<SeenBox> boxes, DWORD now)
{
    std::vector<DWORD> pids = jobProcesses(job);
    pids.push_back(GetCurrentProcessId());
    std::vector<SeenBox> still;
    for (DWORD pid : pids)
        for (HWND window : dialogsOfProcess(pid)) {
            if (!GetDlgItem(window, 0xFFFF) || dialogClaimed(window))
                continue;
            auto known = std::find_if(boxes.begin(), boxes.end(), [&](const SeenBox& b) { return b.window == window; });
            SeenBox box = known != boxes.end() ? *known : SeenBox { window, now };
            if (now - box.firstSeen < boxGraceMs) {
                still.push_back(box);
                continue;
            }
            SeenDialog seen = readDialog(window);   // claimed now: reported once
            ADD_FAILURE() << "an unexpected message box (process " << pid << ") was answered by the guard:\n"
                          << "  caption: " << seen.caption << " [" << hexBytes(seen.caption) << "]\n"
                          << "  text: " << seen.text << " [" << hexBytes(seen.text) << "]";
            if (int id = answerFor(seen))
                pressButton(window, id);
        }
    return still;
}

void watch()
{
    for (;;) {
        Sleep(100);
        std::string test;
        std::vector<SeenBox> boxes;
        {
            std::lock_guard<std::mutex> lock(guard.mutex);
            test = guard.test;
            boxes = guard.boxes;
        }
        if (test.empty())
            continue;
        boxes = watchBoxes(guard.job, boxes, GetTickCount());

        std::lock_guard<std::mutex> lock(guard.mutex);
        if (guard.test != test)
            continue;               // the test ended meanwhile
        guard.boxes = boxes;
        DWORD now = GetTickCount();
        if (!guard.boundPassedAt && now - guard.start > guard.boundMs) {
            guard.boundPassedAt = now;
            ADD_FAILURE() << "the test ran past its bound of " << guard.boundMs / 1000 << " s while waiting for: "
                          << (guard.waitingFor.empty() ? "(nothing named)" : guard.waitingFor);
            endTestProcesses(guard.job);
        } else if (guard.boundPassedAt && now - guard.boundPassedAt > endGraceMs) {
            printf("[  FAILED  ] %s did not end %lu s after its bound (waiting for: %s); ending the test program\n",
                   guard.test.c_str(), (unsigned long)(endGraceMs / 1000),
                   guard.waitingFor.empty() ? "(nothing named)" : guard.waitingFor.c_str());
            fflush(stdout);
            endTestProcesses(guard.job);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

class GuardListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& info) override
    {
        std::lock_guard<std::mutex> lock(guard.mutex);
        guard.test = std::string(info.test_suite_name()) + "." + info.name();
        guard.start = GetTickCount();
        guard.boundMs = defaultBoundMs;
        guard.boundPassedAt = 0;
        guard.waitingFor.clear();
        guard.boxes.clear();
    }

    void OnTestEnd(const testing::TestInfo&) override
    {
        std::lock_guard<std::mutex> lock(guard.mutex);
        endTestProcesses(guard.job);
        guard.test.clear();
    }
};

}  // namespace

Waiting::Waiting(const std::string& what)
{
    std::lock_guard<std::mutex> lock(guard.mutex);
    previous_ = guard.waitingFor;
    guard.waitingFor = what;
}

Waiting::~Waiting()
{
    std::lock_guard<std::mutex> lock(guard.mutex);
    guard.waitingFor = previous_;
}

void allowTestTime(DWORD seconds)
{
    std::lock_guard<std::mutex> lock(guard.mutex);
    guard.boundMs = std::max(guard.boundMs, seconds * 1000);
}

std::vector<DWORD> testProcesses()
{
    std::vector<DWORD> pids;
    for (DWORD pid : jobProcesses(guard.job))
        if (!isPlatformProgram(pid))
            pids.push_back(pid);
    return pids;
}

void installTestGuard()
{
    // Wine starts its desktop process from the first program that needs it: let that be
    // this one before the job exists, so that the desktop is never one of the test's
    GetDesktopWindow();
    // every process started from here on inherits the job; closing it (the test program
    // ending in any way) ends them all
    guard.job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!guard.job ||
        !SetInformationJobObject(guard.job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(guard.job, GetCurrentProcess())) {
        printf("test guard: no job object (error %lu): processes a test leaves are ended only by the test\n",
               GetLastError());
        if (guard.job)
            CloseHandle(guard.job);
        guard.job = nullptr;
    }
    testing::UnitTest::GetInstance()->listeners().Append(new GuardListener);
    std::thread(watch).detach();
}
