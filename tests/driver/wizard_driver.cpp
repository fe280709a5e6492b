// End-to-end support: the install wizard driven from outside (see wizard_driver.h).
#include "wizard_driver.h"

#include "scratch.h"
#include "setup_run.h"
#include "test_guard.h"
#include "uninstall_staging.h"

#include <commctrl.h>

#include <stdlib.h>

static bool waitUntil(DWORD timeoutMs, const std::string& what, const std::function<bool()>& condition)
{
    Waiting waiting(what);
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

static bool isMessageBox(HWND window)
{
    return GetDlgItem(window, 0xFFFF) != nullptr;
}

// The wizard frame: the process's top-level dialog that has the wizard's Next button.
static HWND findFrame(DWORD pid)
{
    for (HWND window : dialogsOfProcess(pid))
        if (GetDlgItem(window, WIZ_NEXT) && !isMessageBox(window))
            return window;
    return nullptr;
}

bool WizardDriver::waitForFrame(DWORD timeoutMs)
{
    return waitUntil(timeoutMs, "the wizard of process " + std::to_string(pid_), [&] {
        frame_ = findFrame(pid_);
        return frame_ != nullptr && page() != nullptr;
    });
}

HWND WizardDriver::page() const
{
    return frame_ ? (HWND)SendMessageA(frame_, PSM_GETCURRENTPAGEHWND, 0, 0) : nullptr;
}

int WizardDriver::pageIndex() const
{
    HWND shown = page();
    return shown ? (int)SendMessageA(frame_, PSM_HWNDTOINDEX, (WPARAM)shown, 0) : -1;
}

bool WizardDriver::waitForPage(int index, DWORD timeoutMs) const
{
    return waitUntil(timeoutMs, "wizard page " + std::to_string(index), [&] { return pageIndex() == index; });
}

std::string WizardDriver::caption() const
{
    std::string text;
    waitUntil(1000, "the wizard's caption", [&] {
        text = windowText(frame_);
        return !text.empty();
    });
    return text;
}

std::string WizardDriver::controlText(int id) const
{
    HWND control = GetDlgItem(page(), id);
    return control ? windowText(control) : std::string();
}

bool WizardDriver::controlVisible(int id) const
{
    HWND control = GetDlgItem(page(), id);
    return control && IsWindowVisible(control);
}

ButtonState WizardDriver::button(int id) const
{
    ButtonState state;
    HWND control = GetDlgItem(frame_, id);
    state.exists = control != nullptr;
    state.visible = control && IsWindowVisible(control);
    state.enabled = control && IsWindowEnabled(control);
    return state;
}

bool WizardDriver::press(int id, DWORD timeoutMs) const
{
    // a press posted while a modal window is open would run the page's handler nested
    if (!waitUntil(timeoutMs, "the wizard to be enabled again", [&] { return IsWindowEnabled(frame_) != 0; }))
        return false;
    if (!button(id).usable())
        return false;
    pressButton(frame_, id);
    return true;
}

bool WizardDriver::waitForButton(int id, DWORD timeoutMs) const
{
    return waitUntil(timeoutMs, "wizard button " + std::to_string(id) + " to be usable",
                     [&] { return button(id).usable(); });
}

void WizardDriver::typeIntoField(int id, const std::string& text) const
{
    SendMessageA(GetDlgItem(page(), id), WM_SETTEXT, 0, (LPARAM)text.c_str());
}

void WizardDriver::typeCharacters(int id, const std::string& text) const
{
    HWND field = GetDlgItem(page(), id);
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM)"");
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), &wide[0], (int)wide.size()));
    for (wchar_t c : wide)
        SendMessageW(field, WM_CHAR, c, 1);
}

bool WizardDriver::isChecked(int id) const
{
    return SendMessageA(GetDlgItem(page(), id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WizardDriver::setChecked(int id, bool checked) const
{
    // a click toggles an automatic checkbox as the mouse would
    if (isChecked(id) != checked)
        SendMessageA(GetDlgItem(page(), id), BM_CLICK, 0, 0);
}

void WizardDriver::clickPageButton(int id) const
{
    PostMessageA(GetDlgItem(page(), id), BM_CLICK, 0, 0);
}

ProgressState WizardDriver::progress(int id) const
{
    ProgressState state;
    HWND bar = GetDlgItem(page(), id);
    if (!bar)
        return state;
    state.low = (int)SendMessageA(bar, PBM_GETRANGE, TRUE, 0);
    state.high = (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    state.position = (int)SendMessageA(bar, PBM_GETPOS, 0, 0);
    state.visible = IsWindowVisible(bar) != 0;
    return state;
}

SeenDialog WizardDriver::waitForOtherDialog(DWORD timeoutMs) const
{
    HWND found = nullptr;
    waitUntil(timeoutMs, "a dialog beside the wizard", [&] {
        for (HWND window : dialogsOfProcess(pid_))
            if (window != frame_) {
                found = window;
                return true;
            }
        return false;
    });
    if (!found)
        return SeenDialog();
    waitUntilAnswering(found);
    return readDialog(found);
}

// The name of the item selected in the tree of the folder picker, "" when none: a tree's
// item record is read through memory of the picker's process.
static std::string pickerSelection(DWORD pid, HWND picker)
{
    HWND tree = FindWindowExA(picker, nullptr, WC_TREEVIEWA, nullptr);
    HTREEITEM item = tree ? (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) : nullptr;
    if (!item)
        return "";
    char name[MAX_PATH] = "";
    RemoteMemory memory(pid, sizeof(TVITEMA) + sizeof name);
    TVITEMA record = {};
    record.mask = TVIF_TEXT;
    record.hItem = item;
    record.pszText = memory.address() + sizeof record;
    record.cchTextMax = sizeof name;
    if (!memory.write(0, &record, sizeof record) || !SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)memory.address())
        || !memory.read(sizeof record, name, sizeof name))
        return "";
    name[sizeof name - 1] = 0;
    return name;
}

bool WizardDriver::waitForPickerSelection(const SeenDialog& picker, const std::string& name, DWORD timeoutMs) const
{
    return waitUntil(timeoutMs, "the folder picker to select " + name,
                     [&] { return pickerSelection(pid_, picker.window) == name; });
}

bool WizardDriver::answer(const SeenDialog& dialog, int id, DWORD timeoutMs) const
{
    if (!dialog.window)
        return false;
    pressButton(dialog.window, id);
    return waitUntil(timeoutMs, "the answered dialog " + dialog.caption + " to close",
                     [&] { return !IsWindow(dialog.window) || !IsWindowVisible(dialog.window); });
}

// Pixels of the icon control on the screen against each system icon's opaque pixels.
static std::string iconOnScreen(HWND control)
{
    const int size = 32;
    // the screen as a user sees it: another process's window DC gives no pixels
    RECT place;
    GetWindowRect(control, &place);
    HDC screen = GetDC(nullptr);
    HDC shot = CreateCompatibleDC(screen);
    HBITMAP shotBits = CreateCompatibleBitmap(screen, size, size);
    SelectObject(shot, shotBits);
    BitBlt(shot, 0, 0, size, size, screen, place.left, place.top, SRCCOPY);
    struct Candidate {
        LPCSTR id;
        const char* name;
    };
    const Candidate candidates[] = { { IDI_HAND, "error" }, { IDI_QUESTION, "question" },
                                     { IDI_EXCLAMATION, "warning" }, { IDI_ASTERISK, "information" } };
    std::string best;
    int bestMatches = 0;
    for (const Candidate& c : candidates) {
        HDC drawn = CreateCompatibleDC(screen);
        HBITMAP drawnBits = CreateCompatibleBitmap(screen, size, size);
        SelectObject(drawn, drawnBits);
        HDC mask = CreateCompatibleDC(screen);
        HBITMAP maskBits = CreateCompatibleBitmap(screen, size, size);
        SelectObject(mask, maskBits);
        RECT all = { 0, 0, size, size };
        FillRect(drawn, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
        FillRect(mask, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
        HICON icon = LoadIconA(nullptr, c.id);
        DrawIconEx(drawn, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        DrawIconEx(mask, 0, 0, icon, size, size, 0, nullptr, DI_MASK);
        int matches = 0, opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                if (GetPixel(mask, x, y) != RGB(0, 0, 0))
                    continue;           // transparent in the icon
                ++opaque;
                if (GetPixel(drawn, x, y) == GetPixel(shot, x, y))
                    ++matches;
            }
        // the edges are blended with the background: most opaque pixels match, not all
        if (opaque > 0 && matches * 4 > opaque * 3 && matches > bestMatches) {
            bestMatches = matches;
            best = c.name;
        }
        DeleteDC(drawn);
        DeleteObject(drawnBits);
        DeleteDC(mask);
        DeleteObject(maskBits);
    }
    DeleteDC(shot);
    DeleteObject(shotBits);
    ReleaseDC(nullptr, screen);
    return best;
}

std::string iconShown(const SeenDialog& messageBox)
{
    HWND control = GetDlgItem(messageBox.window, 0x0440);
    std::string icon;
    if (control && IsWindowVisible(control))
        waitUntil(2000, "the message box's icon on the screen", [&] { return !(icon = iconOnScreen(control)).empty(); });
    return icon;
}

bool saveScreenshot(HWND window, const std::string& unixFile)
{
    measureInScreenPixels();
    // painted now, by the window's own thread, before the screen is read
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(window, &r);
    const int margin = 12;
    std::string geometry = std::to_string(r.right - r.left + 2 * margin) + "x" + std::to_string(r.bottom - r.top + 2 * margin)
                           + "+" + std::to_string(r.left - margin) + "+" + std::to_string(r.top - margin);
    return runUnixScript("import -window root -crop " + geometry + " +repage '" + unixFile + "'") == 0;
}

bool driveToProgressPage(WizardDriver& wizard, const std::string& destination, int startMenu, int desktop)
{
    if (!wizard.waitForFrame() || !wizard.waitForPage(0))
        return false;
    wizard.typeIntoField(DEST_PATH, destination);
    if (!wizard.press(WIZ_NEXT) || !wizard.waitForPage(1))
        return false;
    if (startMenu >= 0)
        wizard.setChecked(START_MENU_BOX, startMenu != 0);
    if (desktop >= 0)
        wizard.setChecked(DESKTOP_BOX, desktop != 0);
    return wizard.press(WIZ_NEXT) && wizard.waitForPage(2);
}

bool driveToFinish(WizardDriver& wizard, const std::string& destination, int startMenu, int desktop,
                   DWORD finishTimeoutMs)
{
    return driveToProgressPage(wizard, destination, startMenu, desktop) &&
           wizard.waitForButton(WIZ_FINISH, finishTimeoutMs);
}

const char wizardDoneText[] = "インストールが完了しました。今後ともよろしくです。　de Tolbry";
const char wizardFailedText[] = "インストール中にエラーが発生しました。";

WizardSession::WizardSession(const std::string& distFolder, const std::string& arguments) : dist(distFolder)
{
    if (startSetup(process, dist + "SETUP.EXE", arguments, dist))
        wizard = WizardDriver(process.pid());
    else
        startError = GetLastError();
}

::testing::AssertionResult WizardSession::ready()
{
    if (!process.info.hProcess)
        return ::testing::AssertionFailure() << dist << "SETUP.EXE did not start: error " << startError << "; it has "
                                             << fileSize(dist + "SETUP.EXE") << " bytes";
    if (!wizard.waitForFrame() || !wizard.waitForPage(0))
        return ::testing::AssertionFailure() << "the wizard did not show its first page";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult WizardSession::toProgressPage(const std::string& destination, int startMenu, int desktop)
{
    ::testing::AssertionResult shown = ready();
    if (shown && !driveToProgressPage(wizard, destination, startMenu, desktop))
        return ::testing::AssertionFailure() << "the wizard did not reach its progress page (on page "
                                             << wizard.pageIndex() << ")";
    return shown;
}

::testing::AssertionResult WizardSession::toFinish(const std::string& destination, int startMenu, int desktop,
                                                   DWORD finishTimeoutMs)
{
    ::testing::AssertionResult shown = toProgressPage(destination, startMenu, desktop);
    if (shown && !wizard.waitForButton(WIZ_FINISH, finishTimeoutMs))
        return ::testing::AssertionFailure() << "the installation did not end with Finish; the page says "
                                             << hexBytes(wizard.controlText(PROGRESS_TEXT));
    return shown;
}

::testing::AssertionResult WizardSession::close(int button, DWORD timeoutMs)
{
    if (!wizard.press(button))
        return ::testing::AssertionFailure() << "wizard button " << button << " could not be pressed";
    DWORD code = process.wait(timeoutMs);
    if (code != 1)
        return ::testing::AssertionFailure() << "after button " << button << " the exit value is " << (long)code;
    return ::testing::AssertionSuccess();
}

static const char uninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korval";

void setPreviousInstall(const std::string& uninstallString)
{
    if (uninstallString.empty())
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstallKey);
    else
        setPreviousInstallValue(REG_SZ, std::string(uninstallString.c_str(), uninstallString.size() + 1));
}

void setPreviousInstallValue(DWORD type, const std::string& bytes)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, uninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "UninstallString", 0, type, (const BYTE*)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
}


void ProductSurroundings::clear()
{
    setPreviousInstall("");
    dropMachineKey(uninstallKeyPath);
    deleteRegistryKey(HKEY_CURRENT_USER, "Software\\KORVAL");
    removeProductShortcuts();
}

void removeProductShortcuts()
{
    DeleteFileA((shellFolder("Programs") + "\\Rovenda.lnk").c_str());
    DeleteFileA((shellFolder("Desktop") + "\\Rovenda.lnk").c_str());
    deleteTree(shellFolder("Programs") + "\\KorvalDesk");
}



SmallDrive::SmallDrive(bool fat)
{
    std::string drive = unixPathOf("C:\\");         // <prefix>/dosdevices/c:/
    size_t at = drive.rfind("/dosdevices/");
    if (at == std::string::npos)
        return;
    dosDevices_ = drive.substr(0, at) + "/dosdevices";
    mountPoint_ = "/tmp/setuptests-small-" + std::to_string(GetCurrentProcessId());
    std::string image = "'" + mountPoint_ + ".img'";
    mounted_ = runUnixScript("set -e\nmkdir -p '" + mountPoint_ + "'\n" +
                             (fat ? "truncate -s 50m " + image + "\nmkfs.vfat " + image + "\nfusefat -o rw+ " + image + " '"
                                  : "mount -t tmpfs -o size=50m tmpfs '") +
                             mountPoint_ + "'\n" +
                             "ln -sfn '" + mountPoint_ + "' '" + dosDevices_ + "/t:'\n") == 0;
}

SmallDrive::~SmallDrive()
{
    runUnixScript("rm -f '" + dosDevices_ + "/t:'\numount '" + mountPoint_ + "'\nrmdir '" + mountPoint_ + "'\nrm -f '" +
                  mountPoint_ + ".img'\n");
}
