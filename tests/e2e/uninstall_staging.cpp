// End-to-end support for the uninstall (see uninstall_staging.h).
#include "uninstall_staging.h"

#include "scratch.h"
#include "test_guard.h"

const char uninstallKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korval";
static const char waitingText[] = "削除しています...";

void writeFileMakingFolders(const std::string& path, const std::string& content)
{
    for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    writeFile(path, content);
}

std::string stageInstalled(const std::string& name, const std::string& manifest, const std::vector<std::string>& files)
{
    std::string folder = stageSetup(name, manifest);
    for (const std::string& file : files)
        writeFileMakingFolders(folder + file, "content of " + file);
    return folder;
}


// The test program has the program's own architecture, so its default view is the
// program's view of HKLM\SOFTWARE.
void makeMachineKey(const std::string& key, const char* name, const char* value)
{
    HKEY handle;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (name)
        RegSetValueExA(handle, name, 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1);
    RegCloseKey(handle);
}

bool machineKeyExists(const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

void dropMachineKey(const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS) {
        char name[256];
        while (RegEnumKeyA(handle, 0, name, sizeof name) == ERROR_SUCCESS) {
            dropMachineKey(key + "\\" + name);
            if (machineKeyExists(key + "\\" + name))
                break;
        }
        RegCloseKey(handle);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

DialogWatcher::Handler UninstallDriver::handler()
{
    auto record = seen;
    auto table = answers;
    int otherwise = fallback;
    auto look = beforeAnswer;
    return [record, table, otherwise, look](const SeenDialog& d) -> int {
        if (GetDlgItem(d.window, 1010)) {
            record->uninstallDialog = d.window;
            record->caption = d.caption;
            return 0;
        }
        if (look)
            look(d);
        if (d.isMessageBox) {
            SeenDialog message = d;
            message.icon = iconOfControl(GetDlgItem(d.window, 0x0440));
            record->messages.push_back(message);
            return IDOK;
        }
        std::string question = d.controlText(1018);
        if (record->questions.empty() && d.owner) {
            record->waitingText = windowText(GetDlgItem(d.owner, 1010));
            record->closeEnabledWhileWaiting = IsWindowEnabled(GetDlgItem(d.owner, IDCANCEL)) != 0;
        }
        record->questions.push_back(question);
        std::string path = question.substr(0, question.find(" ←"));
        std::string name = path.substr(path.rfind('\\') + 1);
        auto answer = table.find(name);
        return answer != table.end() ? answer->second : otherwise;
    };
}

UninstallResult waitForResult(HWND dialog, DWORD timeoutMs)
{
    UninstallResult result;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs && IsWindow(dialog)) {
        HWND close = GetDlgItem(dialog, IDCANCEL);
        std::string text = windowText(GetDlgItem(dialog, 1010));
        if (text != waitingText && IsWindowEnabled(close)) {
            result.shown = true;
            result.text = text;
            result.closeEnabled = true;
            GUITHREADINFO info = { sizeof info };
            GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
            result.closeFocused = info.hwndFocus == close;
            break;
        }
        Sleep(20);
    }
    return result;
}

UninstallResult answerUninstallRun(DWORD pid, UninstallDriver& driver)
{
    UninstallResult result;
    DialogWatcher watcher(driver.handler(), pid);
    Waiting waiting("the uninstall dialog of process " + std::to_string(pid));
    DWORD start = GetTickCount();
    while (!driver.seen->uninstallDialog && GetTickCount() - start < 20000)
        Sleep(10);
    if (driver.seen->uninstallDialog)
        result = waitForResult(driver.seen->uninstallDialog);
    return result;
}

UninstallResult runUninstallFrom(const std::string& installed, UninstallDriver& driver, DWORD* exitCode)
{
    std::string runner = stageSetup(installed.substr(14, installed.size() - 15) + "-runner");
    SetupProcess process;
    UninstallResult result;
    *exitCode = (DWORD)-2;
    if (!startSetup(process, runner + "SETUP.EXE", "x " + installed + "SETUP.EXE", runner))
        return result;
    result = answerUninstallRun(process.pid(), driver);
    if (result.shown && driver.atResult)
        driver.atResult(driver.seen->uninstallDialog);
    if (result.shown)
        pressButton(driver.seen->uninstallDialog, IDCANCEL);
    *exitCode = process.wait();
    return result;
}

struct CaptionSearch {
    std::string caption;
    DWORD exceptPid;
    FoundWindow found;
};

static BOOL CALLBACK matchCaption(HWND window, LPARAM param)
{
    CaptionSearch* s = (CaptionSearch*)param;
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != s->exceptPid && IsWindowVisible(window) && lstrcmpA(cls, "#32770") == 0 && windowText(window) == s->caption) {
        s->found = { window, pid };
        return FALSE;
    }
    return TRUE;
}

FoundWindow findDialogByCaption(const std::string& caption, DWORD exceptPid, DWORD timeoutMs)
{
    CaptionSearch search { caption, exceptPid, {} };
    Waiting waiting("a dialog captioned " + caption);
    DWORD start = GetTickCount();
    while (!search.found.window && GetTickCount() - start < timeoutMs) {
        EnumWindows(matchCaption, (LPARAM)&search);
        Sleep(20);
    }
    return search.found;
}

// The pixels of an icon's colour and mask bitmaps, or "" when they cannot be read.
static std::string iconPixels(HICON icon)
{
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info))
        return "";
    std::string pixels;
    for (HBITMAP bitmap : { info.hbmColor, info.hbmMask }) {
        if (!bitmap)
            continue;
        BITMAP shape;
        GetObjectA(bitmap, sizeof shape, &shape);
        std::string bits((size_t)shape.bmWidthBytes * shape.bmHeight, '\0');
        GetBitmapBits(bitmap, (LONG)bits.size(), &bits[0]);
        pixels += bits;
        DeleteObject(bitmap);
    }
    return pixels;
}

std::string iconOfControl(HWND control)
{
    HICON icon = (HICON)SendMessageA(control, STM_GETICON, 0, 0);
    std::string pixels = iconPixels(icon);
    if (pixels.empty())
        return icon ? "unreadable" : "";
    struct Known {
        LPCSTR id;
        const char* name;
    };
    for (Known known : { Known { IDI_HAND, "error" }, Known { IDI_QUESTION, "question" },
                         Known { IDI_ASTERISK, "information" }, Known { IDI_EXCLAMATION, "warning" } })
        if (iconPixels(LoadIconA(nullptr, known.id)) == pixels)
            return known.name;
    return "other";
}

bool iconIs(const std::string& seen, const std::string& expected)
{
    return seen == expected || seen == "unreadable";
}
