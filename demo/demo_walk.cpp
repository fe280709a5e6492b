// Walks through the install wizard of a sample distribution by itself, as a user would,
// saves a screenshot of each page and of the result, and prints where everything went;
// then removes the installation again from its Uninstall entry, with screenshots of the
// prompt, of a question about a file of the user's own and of the result.
// Usage (inside the rig): demowalk.exe DIST-FOLDER SCREENSHOT-FOLDER-UNIX [DESTINATION]
#include "scratch.h"
#include "setup_run.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <stdio.h>

#include <string>

static std::string shots;
static int shotsMissing;        // the walk fails when a screenshot could not be taken

static void screenshot(HWND window, const char* name)
{
    std::string file = shots + "/" + name;
    if (saveScreenshot(window, file)) {
        printf("  screenshot %s\n", file.c_str());
    } else {
        printf("  (no screenshot %s: ImageMagick's import failed)\n", name);
        ++shotsMissing;
    }
}

struct ProductSearch {
    DWORD setupPid;
    HWND found;
};

static BOOL CALLBACK matchProductMessage(HWND window, LPARAM param)
{
    ProductSearch* s = (ProductSearch*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid != s->setupPid && IsWindowVisible(window) && lstrcmpA(cls, "#32770") == 0 && windowText(window) == "Rovenda") {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// A top-level dialog captioned "Rovenda" of any process other than the wizard's.
static HWND findProductMessage(DWORD setupPid)
{
    ProductSearch search = { setupPid, nullptr };
    EnumWindows(matchProductMessage, (LPARAM)&search);
    return search.found;
}

static void listFolder(const std::string& folder, const std::string& prefix)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listFolder(folder + name + "\\", prefix + name + "\\");
        else
            printf("    %s%s\n", prefix.c_str(), name.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static int fail(const char* what)
{
    printf("demo: %s\n", what);
    return 2;
}

static const char userKey[] = "Software\\KORVAL";

// Removes the installation in folder as a user would from its Uninstall entry: the prompt,
// the copy in the system directory, one question per file the installation did not bring.
static int walkThroughUninstall(const std::string& folder)
{
    // what other software puts around an installation: the Uninstall entry, the product's
    // per-user settings; and a file of the user's own, which the uninstall asks about
    makeMachineKey(uninstallKeyPath, "UninstallString", ("\"" + folder + "SETUP.EXE\" /r6").c_str());
    setRegistryText(HKEY_CURRENT_USER, std::string(userKey) + "\\Rovenda\\Settings", "window", "10,10");
    writeFile(folder + "メモ.txt", "自分のメモ");
    printf("demo: uninstalling with the Uninstall entry's command \"%sSETUP.EXE\" /r6\n", folder.c_str());
    printf("  (a file of the user's own, %sメモ.txt, was put into the folder first)\n", folder.c_str());

    SetupProcess relaunch;
    if (!startSetup(relaunch, folder + "SETUP.EXE", "/r6"))
        return fail("the installed SETUP.EXE could not be started");
    SeenDialog prompt = WizardDriver(relaunch.pid()).waitForOtherDialog();
    if (!prompt.window)
        return fail("the uninstall prompt did not appear");
    printf("  prompt \"%s\": %s\n", prompt.caption.c_str(), prompt.text.c_str());
    screenshot(prompt.window, "5-uninstall-prompt.png");
    pressButton(prompt.window, IDOK);

    FoundWindow copy = findDialogByCaption("Rovendaの削除", relaunch.pid());
    if (!copy.window)
        return fail("the copy in the system directory showed no uninstall dialog");
    printf("  setup exit value %lu; the copy in the system directory runs the removal\n", relaunch.wait());
    HANDLE copyProcess = OpenProcess(SYNCHRONIZE, FALSE, copy.pid);
    UninstallDriver driver;
    driver.fallback = IDYES;
    bool questionShot = false;
    driver.beforeAnswer = [&](const SeenDialog& d) {
        if (d.isMessageBox) {
            printf("  message: %s\n", d.text.c_str());
            return;
        }
        printf("  question: %s -> yes\n", d.controlText(1018).c_str());
        if (!questionShot)
            screenshot(d.window, "6-uninstall-question.png");
        questionShot = true;
    };
    UninstallResult result = answerUninstallRun(copy.pid, driver);
    if (!result.shown)
        return fail("the uninstall dialog showed no result");
    printf("  \"%s\": %s\n", driver.seen->caption.c_str(), result.text.c_str());
    screenshot(copy.window, "7-uninstall-done.png");
    pressButton(copy.window, IDCANCEL);
    if (copyProcess) {
        WaitForSingleObject(copyProcess, 20000);
        CloseHandle(copyProcess);
    }

    printf("demo: what remains\n");
    int remaining = 0;
    auto report = [&](const std::string& what, bool there) {
        printf("  %s: %s\n", what.c_str(), there ? "still there" : "gone");
        remaining += there;
    };
    report(folder, folderExists(folder));
    if (folderExists(folder))
        listFolder(folder, "    ");
    report(shellFolder("Programs") + "\\KorvalDesk", folderExists(shellFolder("Programs") + "\\KorvalDesk"));
    report(shellFolder("Desktop") + "\\Rovenda.lnk", fileExists(shellFolder("Desktop") + "\\Rovenda.lnk"));
    report(std::string("HKLM\\") + uninstallKeyPath, machineKeyExists(uninstallKeyPath));
    report(std::string("HKCU\\") + userKey, registryKeyExists(HKEY_CURRENT_USER, userKey));
    printf("  the copy in the system directory goes at the next restart\n");
    if (remaining)
        return fail("the removal left the installation behind");
    return shotsMissing ? fail("screenshots are missing") : 0;
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return fail("usage: demowalk DIST-FOLDER SCREENSHOT-FOLDER [DESTINATION]");
    std::string dist = argv[1];
    if (dist.back() != '\\')
        dist += "\\";
    shots = argv[2];
    std::string destination = argc > 3 ? argv[3] : "";
    // a first installation: no Uninstall entry left from an earlier run
    dropMachineKey(uninstallKeyPath);

    SetupProcess process;
    if (!startSetup(process, dist + "SETUP.EXE", "", dist))
        return fail("SETUP.EXE could not be started");
    WizardDriver wizard(process.pid());
    if (!wizard.waitForFrame() || !wizard.waitForPage(0))
        return fail("the wizard did not appear");
    printf("demo: the wizard \"%s\" is open\n", wizard.caption().c_str());
    if (!destination.empty())
        wizard.typeIntoField(DEST_PATH, destination);
    destination = wizard.controlText(DEST_PATH);
    printf("  destination page: %s\n", destination.c_str());
    screenshot(wizard.frame(), "1-destination.png");

    if (!wizard.press(WIZ_NEXT) || !wizard.waitForPage(1)) {
        SeenDialog box = wizard.waitForOtherDialog(1000);
        printf("  the destination was refused: %s\n", box.text.c_str());
        return fail("the destination page did not let the wizard go on");
    }
    printf("  options page: start menu %s, desktop %s\n", wizard.isChecked(START_MENU_BOX) ? "on" : "off",
           wizard.isChecked(DESKTOP_BOX) ? "on" : "off");
    screenshot(wizard.frame(), "2-options.png");

    DWORD start = GetTickCount();
    if (!wizard.press(WIZ_NEXT) || !wizard.waitForPage(2))
        return fail("the progress page did not appear");
    if (!wizard.waitForButton(WIZ_FINISH, 60000))
        return fail("the installation did not finish");
    DWORD took = GetTickCount() - start;
    printf("  progress page: \"%s\" after %lu ms (the first step starts 300 ms after the page shows)\n",
           wizard.controlText(PROGRESS_TEXT).c_str(), took);
    screenshot(wizard.frame(), "3-progress-done.png");

    if (!wizard.press(WIZ_FINISH))
        return fail("Finish could not be pressed");
    printf("  Finish: setup exit value %lu\n", process.wait());
    HWND product = nullptr;
    for (int i = 0; i < 500 && !(product = findProductMessage(process.pid())); ++i)
        Sleep(20);
    if (product) {
        printf("  the installed Rovenda.exe -Inst says: %s\n", readDialog(product).text.c_str());
        screenshot(product, "4-product-started.png");
        pressButton(product, IDOK);
    } else {
        printf("  (the started product showed no window)\n");
        ++shotsMissing;
    }

    if (destination.back() != '\\')
        destination += "\\";
    printf("demo: installed files in %s (%s)\n", destination.c_str(), unixPathOf(destination).c_str());
    listFolder(destination, "");
    std::string group = shellFolder("Programs") + "\\KorvalDesk\\";
    printf("demo: shortcuts in %s (%s)\n", group.c_str(), unixPathOf(group).c_str());
    listFolder(group, "");
    std::string desktop = shellFolder("Desktop") + "\\Rovenda.lnk";
    printf("demo: desktop shortcut %s%s\n", desktop.c_str(), fileExists(desktop) ? "" : " (not made)");
    return walkThroughUninstall(destination);
}
