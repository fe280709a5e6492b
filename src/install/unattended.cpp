// The installation without a window (/S): the destination checks, every install step in
// turn with the two copying threads, and the product's start unless /LAUNCH=0.
#include "install/install.h"

#include "app/state.h"
#include "manifest/in_use.h"
#include "util/system_dlls.h"
#include "util/text.h"

void installUnattended()
{
    recordShortcutChoice((setup.savedOptions & OPTION_START_MENU) != 0, (setup.savedOptions & OPTION_DESKTOP) != 0);
    // no window, but the shell's code for shortcuts and for the product's start loads the
    // window code's DLLs by name: they come from the system directory first
    if (setup.wantStartMenu || setup.wantDesktop || !setup.noLaunch)
        loadWindowDlls();
    logChoices();
    // a product in use is found before anything changes: nothing is installed over it then
    // (a destination without its drive is refused by the checks below)
    ensureTrailingSeparator(setup.destDir, sizeof setup.destDir);
    if (setup.destDir[1] == ':' && !installationFree()) {
        raiseExitCode(EXIT_MAIN_FILE_IN_USE);
        return;
    }
    if (!checkDestination(nullptr)) {
        raiseExitCode(EXIT_DESTINATION_FAILED);
        return;
    }
    int last = setup.installCount + 3;
    runStep(nullptr, 0, last);
    startCopyAhead();
    for (int step = 1; step <= last; ++step)
        runStep(nullptr, step, last);
    endCopyAhead();
    resultSentence();
    // set, not raised: a deletion entry's failure raised the removal's code on its way
    setup.exitCode = setup.installFailed ? EXIT_ENTRIES_FAILED : EXIT_DONE;
    startProduct(nullptr);
}
