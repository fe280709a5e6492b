// Test support: reading and answering a process's dialogs (see windows_seen.h).
#include "windows_seen.h"

#include "test_guard.h"

#include <algorithm>
#include <deque>
#include <memory>

const SeenButton* SeenDialog::button(int id) const
{
    for (const SeenButton& b : buttons)
        if (b.id == id)
            return &b;
    return nullptr;
}

std::string SeenDialog::controlText(int id) const
{
    HWND control = GetDlgItem(window, id);
    return control ? windowText(control) : std::string();
}

std::string windowText(HWND window)
{
    char text[4096];
    LRESULT n = SendMessageA(window, WM_GETTEXT, sizeof text, (LPARAM)text);
    return std::string(text, n > 0 ? (size_t)n : 0);
}

static std::string iconName(HWND dialog)
{
    HWND iconControl = GetDlgItem(dialog, 0x0440);
    if (!iconControl)
        return "";
    HICON icon = (HICON)SendMessageA(iconControl, STM_GETICON, 0, 0);
    if (icon == LoadIcon(nullptr, IDI_HAND))
        return "error";
    if (icon == LoadIcon(nullptr, IDI_QUESTION))
        return "question";
    if (icon == LoadIcon(nullptr, IDI_ASTERISK))
        return "information";
    if (icon == LoadIcon(nullptr, IDI_EXCLAMATION))
        return "warning";
    return icon ? "other" : "";
}

// Windows some test has read, so expected; forgotten once they are gone.
static std::mutex claimedMutex;
static std::vector<HWND> claimed;

bool dialogClaimed(HWND window)
{
    std::lock_guard<std::mutex> lock(claimedMutex);
    claimed.erase(std::remove_if(claimed.begin(), claimed.end(), [](HWND w) { return !IsWindow(w); }),
                  claimed.end());
    return std::find(claimed.begin(), claimed.end(), window) != claimed.end();
}

SeenDialog readDialog(HWND window)
{
    if (!dialogClaimed(window)) {
        std::lock_guard<std::mutex> lock(claimedMutex);
        claimed.push_back(window);
    }
    return peekDialog(window);
}

SeenDialog peekDialog(HWND window)
{
    SeenDialog d;
    d.window = window;
    d.owner = GetWindow(window, GW_OWNER);
    d.caption = windowText(window);
    HWND textControl = GetDlgItem(window, 0xFFFF);
    d.isMessageBox = textControl != nullptr;
    if (textControl)
        d.text = windowText(textControl);
    d.icon = iconName(window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Button") != 0)
            continue;
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & 0x0F) > BS_DEFPUSHBUTTON)
            continue;               // checkboxes and others
        d.buttons.push_back({ GetDlgCtrlID(child), windowText(child), (style & 0x0F) == BS_DEFPUSHBUTTON,
                              IsWindowEnabled(child) != 0 });
    }
    return d;
}

struct EnumState {
    DWORD pid;
    std::vector<HWND> found;
};

static BOOL CALLBACK collectDialog(HWND window, LPARAM param)
{
    EnumState* state = (EnumState*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == state->pid && IsWindowVisible(window) && lstrcmpA(cls, "#32770") == 0)
        state->found.push_back(window);
    return TRUE;
}

std::vector<HWND> dialogsOfProcess(DWORD pid)
{
    EnumState state { pid, {} };
    EnumWindows(collectDialog, (LPARAM)&state);
    return state.found;
}

bool waitUntilAnswering(HWND window, DWORD timeoutMs)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

void pressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

DialogWatcher::DialogWatcher(Handler handler, DWORD pid) : handler_(std::move(handler)), pid_(pid)
{
    thread_ = std::thread([this] { run(); });
}

DialogWatcher::~DialogWatcher()
{
    stop_ = true;
    thread_.join();
}

void DialogWatcher::run()
{
    while (!stop_) {
        for (HWND window : dialogsOfProcess(pid_)) {
            if (std::find(handled_.begin(), handled_.end(), window) != handled_.end())
                continue;
            waitUntilAnswering(window);
            SeenDialog dialog = readDialog(window);
            int press = handler_ ? handler_(dialog) : 0;
            handled_.push_back(window);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back(dialog);
            }
            if (press)
                pressButton(window, press);
        }
        // a handle can be reused for a later window once this one is gone
        handled_.erase(std::remove_if(handled_.begin(), handled_.end(), [](HWND w) { return !IsWindow(w); }),
                       handled_.end());
        Sleep(10);
    }
}

std::vector<SeenDialog> DialogWatcher::seen()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

bool DialogWatcher::waitForCount(size_t count, DWORD timeoutMs)
{
    Waiting waiting(std::to_string(count) + " dialogs of process " + std::to_string(pid_));
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (seen().size() >= count)
            return true;
        Sleep(10);
    }
    return false;
}

DialogWatcher::Handler answerInTurn(std::vector<int> answers)
{
    auto queue = std::make_shared<std::deque<int>>(answers.begin(), answers.end());
    return [queue](const SeenDialog& d) {
        if (!d.isMessageBox)
            return 0;
        if (!queue->empty()) {
            int id = queue->front();
            queue->pop_front();
            return id;
        }
        return d.button(IDOK) ? IDOK : IDCANCEL;
    };
}

void measureInScreenPixels()
{
    // looked up at run time: systems before it have no thread awareness to set
    typedef DPI_AWARENESS_CONTEXT(WINAPI * SetThreadAwarenessProc)(DPI_AWARENESS_CONTEXT);
    SetThreadAwarenessProc setThreadAwareness = reinterpret_cast<SetThreadAwarenessProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    if (setThreadAwareness)
        setThreadAwareness(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
}

// As the dialog manager makes a template's font.
LOGFONTW dialogFont(int points, const wchar_t* face)
{
    measureInScreenPixels();
    HDC screen = GetDC(nullptr);
    LOGFONTW font = {};
    font.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    ReleaseDC(nullptr, screen);
    return font;
}

LOGFONTW messageBoxFont()
{
    measureInScreenPixels();
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont;
}

static std::string controlName(HWND control)
{
    char cls[32] = "";
    GetClassNameA(control, cls, sizeof cls);
    return std::string(cls) + " " + std::to_string(GetDlgCtrlID(control));
}

static std::string sizeText(LONG width, LONG height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

// What the control's text needs in font; empty for a control without a text to fit. A text
// control of several lines wraps its text as the static control does.
static SIZE textNeeds(HWND control, HDC dc, const RECT& client)
{
    SIZE needs = { 0, 0 };
    wchar_t text[1024] = L"";
    int length = GetWindowTextW(control, text, 1024);
    char cls[32] = "";
    GetClassNameA(control, cls, sizeof cls);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    bool isStatic = lstrcmpiA(cls, "Static") == 0, isButton = lstrcmpiA(cls, "Button") == 0;
    if (length == 0 || !(isStatic || isButton || lstrcmpiA(cls, "Edit") == 0))
        return needs;
    if (isStatic && (style & SS_TYPEMASK) > SS_RIGHT && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP)
        return needs;               // icons, frames, lines
    UINT format = DT_CALCRECT | DT_EXPANDTABS | ((style & SS_NOPREFIX) && isStatic ? DT_NOPREFIX : 0);
    if (isStatic && (style & SS_TYPEMASK) <= SS_RIGHT) {
        RECT wrapped = { 0, 0, client.right, 0 };
        DrawTextW(dc, text, length, &wrapped, format | DT_WORDBREAK | DT_EDITCONTROL);
        needs = { wrapped.right, wrapped.bottom };
    } else if (isStatic || lstrcmpiA(cls, "Edit") == 0) {
        // a field scrolls its text: only its height must fit
        GetTextExtentPoint32W(dc, text, length, &needs);
        if (!isStatic)
            needs.cx = 0;
    } else {
        RECT line = { 0, 0, 0, 0 };
        DrawTextW(dc, text, length, &line, format | DT_SINGLELINE);
        needs = { line.right + 2 * GetSystemMetrics(SM_CXEDGE), line.bottom };
        UINT kind = style & BS_TYPEMASK;
        if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON
            || kind == BS_3STATE || kind == BS_AUTO3STATE)
            needs.cx += GetSystemMetrics(SM_CXMENUCHECK);     // the box beside the text
    }
    return needs;
}

std::vector<std::string> layoutFaults(HWND dialog, const LOGFONTW& font)
{
    measureInScreenPixels();
    std::vector<std::string> faults;
    RECT area;
    GetClientRect(dialog, &area);
    MapWindowPoints(dialog, nullptr, (POINT*)&area, 2);
    std::vector<std::pair<HWND, RECT>> shown;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        RECT r;
        GetWindowRect(child, &r);
        shown.push_back({ child, r });
    }
    HDC dc = GetDC(nullptr);
    HFONT drawn = CreateFontIndirectW(&font);
    HGDIOBJ before = SelectObject(dc, drawn);
    for (size_t i = 0; i < shown.size(); ++i) {
        HWND control = shown[i].first;
        const RECT& r = shown[i].second;
        std::string name = controlName(control);
        if (r.left < area.left || r.top < area.top || r.right > area.right || r.bottom > area.bottom)
            faults.push_back(name + " stands outside the dialog");
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT both;
            if (IntersectRect(&both, &r, &shown[j].second))
                faults.push_back(name + " overlaps " + controlName(shown[j].first));
        }
        RECT client;
        GetClientRect(control, &client);
        char cls[32] = "";
        GetClassNameA(control, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            if (client.right != GetSystemMetrics(SM_CXICON) || client.bottom != GetSystemMetrics(SM_CYICON))
                faults.push_back(name + " shows an icon of " + sizeText(client.right, client.bottom) + ", the system's is "
                                 + sizeText(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
            continue;
        }
        SIZE needs = textNeeds(control, dc, client);
        if (needs.cx > client.right || needs.cy > client.bottom)
            faults.push_back(name + " text needs " + sizeText(needs.cx, needs.cy) + " in "
                             + sizeText(client.right, client.bottom));
    }
    SelectObject(dc, before);
    DeleteObject(drawn);
    ReleaseDC(nullptr, dc);
    return faults;
}

WindowWatch::WindowWatch() : thread_([this] { run(); }) {}

WindowWatch::~WindowWatch()
{
    stop_ = true;
    thread_.join();
}

static BOOL CALLBACK collectVisible(HWND window, LPARAM list)
{
    if (IsWindowVisible(window))
        ((std::vector<HWND>*)list)->push_back(window);
    return TRUE;
}

void WindowWatch::run()
{
    while (!stop_) {
        std::vector<HWND> visible;
        EnumWindows(collectVisible, (LPARAM)&visible);
        for (HWND window : visible) {
            if (std::find(known_.begin(), known_.end(), window) != known_.end())
                continue;
            known_.push_back(window);       // a window's process never changes
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            std::vector<DWORD> ours = testProcesses();
            if (std::find(ours.begin(), ours.end(), pid) == ours.end())
                continue;
            // the texts the system keeps for the window: no message goes to a busy thread
            char cls[64] = "", caption[256] = "";
            GetClassNameA(window, cls, sizeof cls);
            GetWindowTextA(window, caption, sizeof caption);
            std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back("process " + std::to_string(pid) + ": " + cls + " \"" + caption + "\"");
        }
        Sleep(5);
    }
}

std::vector<std::string> WindowWatch::seen()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}
