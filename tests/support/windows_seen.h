// Test support: reading and answering the dialogs a process shows, from outside the code
// that shows them. Used in-process (a watcher thread beside the code under test) and
// across processes (the end-to-end driver beside the running SETUP.EXE).
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenButton {
    int id;
    std::string text;
    bool isDefault;
    bool enabled;
};

struct SeenDialog {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::string caption;            // exact bytes, in the ANSI code page
    std::string text;               // a message box's text (static 0xFFFF), CR bytes kept
    std::string icon;               // "error", "question", "information", "warning" or ""
    std::vector<SeenButton> buttons;
    bool isMessageBox = false;

    const SeenButton* button(int id) const;
    std::string controlText(int id) const;
};

// Reads a dialog's caption, owner, message text, icon and buttons. A dialog a test has read
// is one it expected: the guard against unexpected windows (test_guard.h) leaves it alone.
SeenDialog readDialog(HWND window);
// The same, without claiming the dialog: for the guard itself.
SeenDialog peekDialog(HWND window);
bool dialogClaimed(HWND window);

// Visible top-level #32770 windows of process pid, in z-order.
std::vector<HWND> dialogsOfProcess(DWORD pid);

// Text of a control, any process, as exact bytes.
std::string windowText(HWND window);

// Waits (bounded) until the thread of window takes its messages again: a dialog then has
// finished its WM_INITDIALOG. False when it did not within the time.
bool waitUntilAnswering(HWND window, DWORD timeoutMs = 5000);

// Presses a button of a dialog as a click would (WM_COMMAND with BN_CLICKED).
void pressButton(HWND dialog, int id);

// Makes the calling thread see windows in screen pixels at the screen's DPI (system DPI
// awareness), as a DPI-aware program's windows are laid out; a thread that is not aware
// may see another program's windows scaled.
void measureInScreenPixels();

// The fonts a dialog's texts are drawn in at the screen's DPI: the font of the program's
// templates (9-point "ＭＳ Ｐゴシック"), of the wizard frame's own template (8-point
// "MS Shell Dlg"), and of message boxes (the system's message font).
LOGFONTW dialogFont(int points, const wchar_t* face);
LOGFONTW messageBoxFont();

// What keeps a dialog from laying out properly, one line each, for its visible controls:
// a control outside the dialog's client area, two controls that overlap, a text that does
// not fit its control in that font, an icon not of the system's icon size.
std::vector<std::string> layoutFaults(HWND dialog, const LOGFONTW& font);

// Watches for new dialogs of a process and hands each one, once, to a handler that
// returns the button to press (0: press nothing). Records everything it has seen.
class DialogWatcher {
public:
    using Handler = std::function<int(const SeenDialog&)>;
    explicit DialogWatcher(Handler handler, DWORD pid = GetCurrentProcessId());
    ~DialogWatcher();
    std::vector<SeenDialog> seen();
    // Waits up to timeoutMs until count dialogs have been seen.
    bool waitForCount(size_t count, DWORD timeoutMs = 10000);

private:
    void run();
    Handler handler_;
    DWORD pid_;
    std::mutex mutex_;
    std::vector<SeenDialog> seen_;
    std::vector<HWND> handled_;
    volatile bool stop_ = false;
    std::thread thread_;
};

// Watches, while it lives, for visible top-level windows of any kind of the processes the
// test has started and those they started (test_guard.h), every few milliseconds, and keeps
// one description of each ("process 12: #32770 \"caption\""). For runs that must show nothing.
class WindowWatch {
public:
    WindowWatch();
    ~WindowWatch();
    std::vector<std::string> seen();

private:
    void run();
    std::mutex mutex_;
    std::vector<std::string> seen_;
    std::vector<HWND> known_;
    volatile bool stop_ = false;
    std::thread thread_;            // last: it starts once the members above exist
};

// A handler that answers message boxes with the given buttons in turn, then with OK
// (or Cancel for a box without OK); dialogs that are no message boxes are left alone.
DialogWatcher::Handler answerInTurn(std::vector<int> answers);
