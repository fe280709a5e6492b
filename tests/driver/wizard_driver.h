// End-to-end support: drives the install wizard of a running SETUP.EXE from outside, as a
// user would: reads the frame, its pages and controls, types into the field, checks boxes,
// presses the wizard's buttons only when a user could, answers message boxes and the
// folder picker, and reads the progress bar. Every wait is bounded.
#pragma once

#include "lnk_check.h"
#include "scratch.h"
#include "setup_run.h"
#include "windows_seen.h"

#include <windows.h>

#include <string>

// Controls of the pages, by their resource ids.
enum WizardControl {
    DEST_LABEL = 1000, DEST_PATH = 1001, BROWSE = 1002, PROGRESS_BAR = 1003, DESKTOP_BOX = 1005,
    START_MENU_BOX = 1006, PROGRESS_TEXT = 1008
};

enum WizardButton { WIZ_BACK = 0x3023, WIZ_NEXT = 0x3024, WIZ_FINISH = 0x3025, WIZ_CANCEL = IDCANCEL };

struct ButtonState {
    bool exists = false;
    bool visible = false;
    bool enabled = false;
    bool usable() const { return exists && visible && enabled; }
};

struct ProgressState {
    int low = 0, high = 0, position = 0;
    bool visible = false;
};

class WizardDriver {
public:
    explicit WizardDriver(DWORD pid) : pid_(pid) {}

    // Waits for the wizard frame to show its first page.
    bool waitForFrame(DWORD timeoutMs = 15000);
    HWND frame() const { return frame_; }

    // The page on show: its index (0 destination, 1 options, 2 progress) and window.
    int pageIndex() const;
    HWND page() const;
    bool waitForPage(int index, DWORD timeoutMs = 10000) const;

    // The frame's caption once the pages have set it (waits up to a second for it).
    std::string caption() const;
    std::string controlText(int id) const;      // a control of the page on show
    bool controlVisible(int id) const;

    ButtonState button(int id) const;           // a button of the frame
    // Presses a frame button when a user could: it is visible and enabled and no modal
    // window has disabled the frame. False when it could not be pressed.
    bool press(int id, DWORD timeoutMs = 5000) const;
    bool waitForButton(int id, DWORD timeoutMs = 20000) const;

    void typeIntoField(int id, const std::string& text) const;
    // Empties the field, then types text (ANSI code page) one character at a time as the
    // keyboard would (WM_CHAR), so that the field's length limit applies.
    void typeCharacters(int id, const std::string& text) const;
    bool isChecked(int id) const;
    void setChecked(int id, bool checked) const;
    void clickPageButton(int id) const;         // a push button of the page (Browse)

    ProgressState progress(int id) const;

    // The next dialog of the process other than the frame: a message box or the folder
    // picker. Null window when none came within the time.
    SeenDialog waitForOtherDialog(DWORD timeoutMs = 10000) const;
    // Waits until the folder picker has selected the folder named name (its name as the
    // picker's tree shows it).
    bool waitForPickerSelection(const SeenDialog& picker, const std::string& name, DWORD timeoutMs = 5000) const;
    // Answers a message box or the picker with a button and waits until it is gone.
    bool answer(const SeenDialog& dialog, int id, DWORD timeoutMs = 5000) const;

private:
    DWORD pid_;
    HWND frame_ = nullptr;
};

// The system icon a message box shows, read from the screen once it is painted there (waits
// up to 2 s): "error", "question", "warning", "information" or "" (icon handles cannot be
// compared across processes).
std::string iconShown(const SeenDialog& messageBox);



// Saves the part of the screen around window, as a user sees it once the window has painted,
// to a Unix path (ImageMagick's import); false when it could not.
bool saveScreenshot(HWND window, const std::string& unixFile);

// Convenience for the common path: type the destination, keep (-1) or set the options, and
// go on to the progress page, where the installation starts.
bool driveToProgressPage(WizardDriver& wizard, const std::string& destination, int startMenu = -1, int desktop = -1);
// The same, then the installation run to the Finish button.
bool driveToFinish(WizardDriver& wizard, const std::string& destination, int startMenu = -1, int desktop = -1,
                   DWORD finishTimeoutMs = 20000);

// The results the progress page shows, exact bytes.
extern const char wizardDoneText[];
extern const char wizardFailedText[];

// The steps every wizard test repeats: the SETUP.EXE of a staged distribution folder
// (stageSetup) started in that folder (without arguments, or with switches that keep the
// wizard), the driver on its wizard, and the ways out. Each step says what went wrong when
// it fails.
struct WizardSession {
    std::string dist;                   // with its trailing backslash
    SetupProcess process;
    WizardDriver wizard { 0 };
    DWORD startError = 0;               // when SETUP.EXE could not be started

    explicit WizardSession(const std::string& distFolder, const std::string& arguments = "");
    // The wizard shows its first page.
    ::testing::AssertionResult ready();
    // As driveToProgressPage and driveToFinish.
    ::testing::AssertionResult toProgressPage(const std::string& destination, int startMenu = -1, int desktop = -1);
    ::testing::AssertionResult toFinish(const std::string& destination, int startMenu = -1, int desktop = -1,
                                        DWORD finishTimeoutMs = 20000);
    // Presses Cancel (or Finish) when a user could, and waits for the end with exit value 1.
    ::testing::AssertionResult cancel(DWORD timeoutMs = 30000) { return close(WIZ_CANCEL, timeoutMs); }
    ::testing::AssertionResult finish() { return close(WIZ_FINISH, 30000); }
    ::testing::AssertionResult close(int button, DWORD timeoutMs);
};

// The previous installation's Uninstall entry, in the registry view of this build (the
// same bitness as the SETUP.EXE under test). An empty value deletes the key.
void setPreviousInstall(const std::string& uninstallString);
// The same value stored as exactly these bytes with this type (REG_DWORD, REG_BINARY ...).
void setPreviousInstallValue(DWORD type, const std::string& bytes);


// A drive T: on a 50 MiB filesystem of its own, made on the Unix side for one test: tmpfs,
// or FAT (through fusefat, as on a USB stick: no hard links). Mounting needs root (and FAT
// needs /dev/fuse, fusefat and mkfs.vfat): mounted() tells whether it could be made.
class SmallDrive {
public:
    explicit SmallDrive(bool fat = false);
    ~SmallDrive();
    bool mounted() const { return mounted_; }

private:
    std::string dosDevices_, mountPoint_;
    bool mounted_ = false;
};

// Removes the shortcuts an installation may have left: Rovenda.lnk in Programs and on the
// desktop, and the group folder KorvalDesk.
void removeProductShortcuts();

// A test's fixture around an installation: the Uninstall entry (with its subkeys), the
// per-user key and the product's shortcuts removed, before and after the test.
class ProductSurroundings : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear();
};
