// Test support: the guard every test program runs under (guarded_main.cpp installs it).
// A failing test fails in seconds and leaves nothing behind:
// - a message box that no test reads within a few seconds is recorded, answered, and fails
//   the test with its caption and text;
// - every process the test started, and every process those started (the relaunched copy
//   in the system directory too), is ended by pid when the test ends, however it ends;
// - a test that runs past its bound fails, naming what it was waiting for; one that still
//   does not end ends the test program, so that the suite fails instead of hanging.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Names what the current test waits for while it lives; the earlier name comes back after.
class Waiting {
public:
    explicit Waiting(const std::string& what);
    ~Waiting();
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

private:
    std::string previous_;
};

// Gives the current test a longer bound than the default, for a test that runs long by design.
void allowTestTime(DWORD seconds);

// The processes the test program has started, and theirs, that still run: their pids.
std::vector<DWORD> testProcesses();

// Installs the guard: once, from main, after InitGoogleTest.
void installTestGuard();
