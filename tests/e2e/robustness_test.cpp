// Bad input met from outside: odd Uninstall entries, odd manifests, Cancel while the
// installation runs. Checked by what the user sees and what is left on disk.
#include "scratch.h"
#include "setup_run.h"
#include "uninstall_staging.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

// Starts the wizard of a distribution and returns the destination it proposes.
static std::string proposedDestination(const std::string& dist)
{
    SetupProcess process;
    if (!startSetup(process, dist + "SETUP.EXE", "", dist))
        return "(not started)";
    WizardDriver wizard(process.pid());
    std::string shown = wizard.waitForFrame() && wizard.waitForPage(0) ? wizard.controlText(DEST_PATH) : "(no wizard)";
    wizard.press(WIZ_CANCEL);
    process.wait();
    return shown;
}

TEST(BadInput, AnUninstallStringThatIsNoTextIsNotTakenForAFolder)
{
    std::string dist = stageSetup("bad-uninstall-string");
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    const std::string defaultDest = std::string(windowsDir, 2) + "\\Korval\\";
    // a number whose four bytes read "D:\" as text
    setPreviousInstallValue(REG_DWORD, std::string("D:\\\0", 4));
    EXPECT_EQ(proposedDestination(dist), defaultDest);
    // 260 bytes without a terminator
    std::string unterminated = "C:\\" + std::string(240, 'k') + "\\SETUP.EXE /6";
    unterminated.resize(260, 'z');
    setPreviousInstallValue(REG_BINARY, unterminated);
    EXPECT_EQ(proposedDestination(dist), defaultDest);
    setPreviousInstallValue(REG_SZ, unterminated);
    EXPECT_EQ(proposedDestination(dist), defaultDest);
    // text with variables: the folder it names
    setPreviousInstallValue(REG_EXPAND_SZ, std::string("\"%SystemDrive%\\Expanded\\SETUP.EXE\" /6\0", 39));
    char expanded[MAX_PATH];
    ExpandEnvironmentStringsA("%SystemDrive%\\Expanded\\", expanded, sizeof expanded);
    EXPECT_EQ(proposedDestination(dist), expanded);
    setPreviousInstall("");
}
