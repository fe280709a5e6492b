// Every dialog of the program laid out at the screen's DPI: each control inside its dialog,
// none over another, every text fitting its control, icons at the system's size, the
// program's own dialogs centred. Runs from
// scripts/dpi-suite, which sets the DPI of a Wine prefix of its own and makes Wine honour
// the program's declared DPI awareness (an undeclared program is drawn at 96 DPI there).
#include "scratch.h"
#include "setup_run.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

#include <stdlib.h>

// The DPI the suite set, and where screenshots go (a Unix folder), from its environment.
static int dpiUnderTest()
{
    const char* dpi = getenv("SETUP_TEST_DPI");
    return dpi ? atoi(dpi) : 0;
}

static void screenshot(HWND window, const std::string& name)
{
    const char* folder = getenv("SETUP_TEST_SCREENSHOTS");
    if (folder && *folder)
        EXPECT_TRUE(saveScreenshot(window, std::string(folder) + "/" + std::to_string(dpiUnderTest()) + name + ".png")) << name;
}

static const LOGFONTW& templateFont()
{
    static LOGFONTW font = dialogFont(9, L"ＭＳ Ｐゴシック");
    return font;
}

// A dialog with nothing in the way of its layout, named in the failure.
static ::testing::AssertionResult laysOut(HWND dialog, const LOGFONTW& font)
{
    std::vector<std::string> faults = layoutFaults(dialog, font);
    if (faults.empty())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    for (const std::string& fault : faults)
        failure << "\n  " << fault;
    return failure;
}

// Centred on the screen in its pixels: the program's own placement scales with the DPI.
static ::testing::AssertionResult centredOnScreen(HWND window)
{
    measureInScreenPixels();
    RECT r;
    GetWindowRect(window, &r);
    long across = r.left + r.right - GetSystemMetrics(SM_CXSCREEN), down = r.top + r.bottom - GetSystemMetrics(SM_CYSCREEN);
    if (labs(across) <= 2 && labs(down) <= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "off centre by " << across / 2 << ", " << down / 2;
}

// The wizard's frame in its own font and the page on show in the templates' font.
static void expectWizardLaysOut(const WizardDriver& wizard, const std::string& name)
{
    EXPECT_TRUE(laysOut(wizard.frame(), dialogFont(8, L"MS Shell Dlg"))) << name << ": the wizard frame";
    EXPECT_TRUE(laysOut(wizard.page(), templateFont())) << name;
    screenshot(wizard.frame(), name);
}

TEST(Dpi, EveryDialogLaysOutAtTheScreensDpi)
{
    int dpi = dpiUnderTest();
    if (dpi == 0)
        GTEST_SKIP() << "runs from scripts/dpi-suite, in a prefix set to a DPI";
    measureInScreenPixels();
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi);
    ReleaseDC(nullptr, screen);

    setPreviousInstall("");
    std::string dist = stageSetup("dpi-dist", "[Install]\r\n1=readme.txt\r\n");
    writeFile(dist + "readme.txt", "readme");
    SetupProcess setupRun;
    ASSERT_TRUE(startSetup(setupRun, dist + "SETUP.EXE", "", dist))
        << "error " << GetLastError() << "; SETUP.EXE of " << fileSize(dist + "SETUP.EXE") << " bytes";
    WizardDriver wizard(setupRun.pid());
    ASSERT_TRUE(wizard.waitForFrame() && wizard.waitForPage(0));
    expectWizardLaysOut(wizard, "dpi-1-destination");
    EXPECT_TRUE(centredOnScreen(wizard.frame())) << "the wizard";

    // a message box of the page, in the system's message font
    wizard.typeIntoField(DEST_PATH, "x");
    ASSERT_TRUE(wizard.press(WIZ_NEXT));
    SeenDialog box = wizard.waitForOtherDialog();
    ASSERT_TRUE(box.isMessageBox);
    EXPECT_TRUE(laysOut(box.window, messageBoxFont())) << "the drive-form message";
    ASSERT_TRUE(wizard.answer(box, IDOK));

    // the folder picker, in the font of its own template
    wizard.clickPageButton(BROWSE);
    SeenDialog picker = wizard.waitForOtherDialog();
    ASSERT_NE(picker.window, nullptr);
    EXPECT_TRUE(laysOut(picker.window, dialogFont(8, L"MS Shell Dlg"))) << "the folder picker";
    screenshot(picker.window, "dpi-1b-folder-picker");
    ASSERT_TRUE(wizard.answer(picker, IDCANCEL));

    std::string destination = scratchFolder("dpi-installed");
    wizard.typeIntoField(DEST_PATH, destination);
    ASSERT_TRUE(wizard.press(WIZ_NEXT) && wizard.waitForPage(1));
    expectWizardLaysOut(wizard, "dpi-2-options");
    wizard.setChecked(START_MENU_BOX, false);
    wizard.setChecked(DESKTOP_BOX, false);
    ASSERT_TRUE(wizard.press(WIZ_NEXT) && wizard.waitForPage(2) && wizard.waitForButton(WIZ_FINISH));
    expectWizardLaysOut(wizard, "dpi-3-progress-done");
    ASSERT_TRUE(wizard.press(WIZ_CANCEL));
    EXPECT_EQ(setupRun.wait(), 1u);

    // the uninstall run: a question about a file the installation did not bring, the result
    writeFile(destination + "メモ.txt", "mine");
    UninstallDriver driver;
    driver.beforeAnswer = [&](const SeenDialog& d) {
        if (d.isMessageBox)
            return;
        EXPECT_TRUE(laysOut(d.window, templateFont())) << "the confirmation dialog";
        EXPECT_TRUE(centredOnScreen(d.window)) << "the confirmation dialog";
        screenshot(d.window, "dpi-4-uninstall-question");
    };
    driver.atResult = [&](HWND dialog) {
        EXPECT_TRUE(laysOut(dialog, templateFont())) << "the uninstall dialog";
        EXPECT_TRUE(centredOnScreen(dialog)) << "the uninstall dialog";
        screenshot(dialog, "dpi-5-uninstall-done");
    };
    DWORD exitCode = 0;
    UninstallResult result = runUninstallFrom(destination, driver, &exitCode);
    EXPECT_TRUE(result.shown);
    EXPECT_EQ(driver.seen->questions.size(), 1u);
    EXPECT_FALSE(folderExists(destination));
}
