// End-to-end support for the uninstall: an installed folder as the install wizard leaves it,
// the per-user and Uninstall keys and the shortcuts around it, and a driver that answers the
// uninstall run's dialogs and records what it saw.
#pragma once

#include "setup_run.h"
#include "scratch.h"
#include "windows_seen.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// C:\setuptests\<name>\ with SETUP.EXE, the manifest and the given files (relative paths,
// sub-folders made as needed); returns the folder.
std::string stageInstalled(const std::string& name, const std::string& manifest, const std::vector<std::string>& files);

// A file with parent folders made as needed.
void writeFileMakingFolders(const std::string& path, const std::string& content);


// The Uninstall key of the product, in the program's own registry view.
extern const char uninstallKeyPath[];
void makeMachineKey(const std::string& key, const char* name, const char* value);
bool machineKeyExists(const std::string& key);
void dropMachineKey(const std::string& key);

// What the run showed, in order.
struct UninstallRunSeen {
    HWND uninstallDialog = nullptr;
    std::string caption;                // of the uninstall dialog
    std::string waitingText;            // control 1010 while the first question was up
    bool closeEnabledWhileWaiting = true;
    std::vector<std::string> questions; // texts of the confirmation dialogs
    std::vector<SeenDialog> messages;   // message boxes
};

// Answers confirmation questions by file name (the path before the arrow of the question),
// otherwise with fallback; message boxes with OK. beforeAnswer, when set, sees each message
// box and question while it is still open (the demo takes its screenshots there).
struct UninstallDriver {
    std::map<std::string, int> answers;
    int fallback = IDYES;
    std::function<void(const SeenDialog&)> beforeAnswer;
    // runUninstallFrom: sees the uninstall dialog with its result, before its close is pressed
    std::function<void(HWND)> atResult;
    std::shared_ptr<UninstallRunSeen> seen = std::make_shared<UninstallRunSeen>();
    DialogWatcher::Handler handler();
};

// Waits (bounded) until the uninstall dialog shows its result; then its text, whether its
// close button is enabled and has the focus.
struct UninstallResult {
    bool shown = false;
    std::string text;
    bool closeEnabled = false;
    bool closeFocused = false;
};
UninstallResult waitForResult(HWND dialog, DWORD timeoutMs = 30000);

// Answers the dialogs of a running uninstall (mode x) process pid with the driver until its
// dialog shows the result, and returns that result; the dialog stays open
// (driver.seen->uninstallDialog, close with its button 2).
UninstallResult answerUninstallRun(DWORD pid, UninstallDriver& driver);

// Runs "<runner copy> x <installed>SETUP.EXE" with the driver, presses close when the
// result is shown (after driver.atResult), and returns the result; exitCode receives the
// exit value.
UninstallResult runUninstallFrom(const std::string& installed, UninstallDriver& driver, DWORD* exitCode);

// A visible top-level dialog of another process, found by its caption (the relaunched copy
// is started by the program, not by the test, so it is found this way); waited for, bounded.
struct FoundWindow {
    HWND window = nullptr;
    DWORD pid = 0;
};
FoundWindow findDialogByCaption(const std::string& caption, DWORD exceptPid, DWORD timeoutMs = 30000);

// The system icon an icon control of another process shows ("error", "question",
// "information", "warning"), told by its pixels; "unreadable" when an icon is shown but its
// bitmaps cannot be read. Under Wine each process has its own handles for the system
// icons and their bitmaps cannot be read from another process: the icon is then only
// known to be there, and the in-process tests check which one it is.
std::string iconOfControl(HWND control);

// True for the icon a user sees as the named one; under Wine also for one that is there
// but unreadable from this process (see iconOfControl).
bool iconIs(const std::string& seen, const std::string& expected);
