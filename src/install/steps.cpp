// The install steps: the destination, each install entry (copied, or deleted for an empty
// source), the shortcuts; the result sentence and the product's start. The wizard's progress
// page and the unattended install run them alike.
#include "install/install.h"

#include "app/state.h"
#include "app/texts.h"
#include "manifest/entries.h"
#include "shortcuts/shortcuts.h"
#include "util/file_stamp.h"
#include "util/folders.h"
#include "util/log.h"
#include "util/text.h"
#include "util/whole_copy.h"

#include <commctrl.h>
#include <shellapi.h>
#include <string.h>

void recordShortcutChoice(int startMenu, int desktop)
{
    setup.wantStartMenu = startMenu;
    setup.optionBits = startMenu ? OPTION_START_MENU : 0;
    setup.wantDesktop = desktop;
    if (desktop)
        setup.optionBits |= OPTION_DESKTOP;
    setup.optionBits |= OPTION_PAGE_DONE;
}

// the source is relative to the current directory, the setup program's folder; without a
// window there is nothing to answer while a large file is copied, and a copying thread
// may have made the copy already
static int copyEntryFile()
{
    if (!setup.unattended)
        return copyEntryAnswering(setup.entryValue, setup.entryTarget);
    int prepared = finishCopyAhead();
    return prepared >= 0 ? prepared : copyFileWhole(setup.entryValue, setup.entryTarget);
}

// The folder levels of the relative part, each made when missing; the text after the last
// backslash is the file. A level that is a plain file, or cannot be made, gets its message.
static int makeTargetFolders()
{
    for (char* separator = findChar(setup.targetTail, '\\'); separator;
         separator = findChar(setup.targetTail, '\\')) {
        setup.targetTail = separator + 1;
        char saved = *setup.targetTail;
        *setup.targetTail = 0;
        int made = makeFolderLevel(setup.entryTarget);
        *setup.targetTail = saved;
        if (!made)
            return 0;
    }
    return 1;
}

// A leading or doubled backslash, or "..", in the relative part: the path a copy opens leaves
// out a level that the walk visits (and reports, as a folder that cannot be made or a plain
// file in the way), so such a target is walked before its copy. They are rare; a trail byte
// 0x5C before a backslash, taken here for a second one, only costs that walk.
static bool walkedFirst(const char* relative)
{
    return relative[0] == '\\' || strstr(relative, "\\\\") || strstr(relative, "..");
}

int installOneEntry()
{
    // a value or target too long for a path leaves no target: nothing is done in a cut name
    if (setup.entryTarget[0] == 0)
        return 0;
    if (setup.entryValue[0] == 0)
        return removeFile(setup.entryTarget);

    // The copy is tried first: its target's folder is there for nearly every entry, and
    // walking the levels (a look at each) cost as much as copying a small file. Only when
    // the copy fails are the levels walked and the copy tried again, so a missing level is
    // made and a level that is a plain file gets its message, as before any copy. A target
    // whose levels the copy would pass over unseen has them walked first. A read-only file
    // already there is replaced by the copy itself.
    if (!walkedFirst(setup.targetTail) && copyEntryFile())
        return 1;
    if (setup.installCancelled || !makeTargetFolders())
        return 0;
    return copyEntryFile();
}

// Unattended: install entry number goes to a copying thread when it is a file's copy that
// may be made before the entries ahead of it are done: its target is walked as usual, and
// its source lies in the setup program's folder (a source elsewhere might be a target).
// The entry is left loaded.
static void askNextCopy(int number)
{
    if (number <= setup.installCount && loadInstallEntry(number) && setup.entryValue[0] && setup.entryTarget[0] &&
        !walkedFirst(setup.targetTail) && !walkedFirst(setup.entryValue) && !findChar(setup.entryValue, ':'))
        askCopyAhead(number, setup.entryValue, setup.entryTarget);
}

// One step: 0 sets the bar's range, makes the destination and asks its volume whether it
// takes hard links, then one per install entry (the program and its manifest first), and
// last the shortcuts.
void runStep(HWND bar, int step, int last)
{
    if (step == 0) {
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, last));
        makeFolderPath(setup.destDir);
        askTargetVolume(setup.destDir);
    } else if (step <= setup.installCount + 2) {
        if (setup.unattended) {
            takeCopyAhead(step - 2);
            askNextCopy(step);
        }
        loadInstallEntry(step - 2);
        int ok = installOneEntry();
        // a deletion entry's line comes from removeFile
        if (setup.entryValue[0] != 0)
            logResult(ok, logCopyWord, setup.entryValue, logArrow, setup.entryTarget);
        if (!ok)
            setup.installFailed = 1;
    } else {
        if (setup.wantStartMenu)
            manageShortcuts(SHORTCUT_PROGRAMS, 0, nullptr);
        if (setup.wantDesktop)
            manageShortcuts(SHORTCUT_DESKTOP, 0, nullptr);
    }
}

// The sentence that ends the installation, also written to the log.
const char* resultSentence()
{
    const char* sentence = setup.installFailed ? installFailedSentence : installDoneSentence;
    logLine(sentence);
    return sentence;
}

// Starts install entry 1 of the destination (or the destination itself without one) with
// "-Inst", unless /LAUNCH=0; it inherits the current directory, the setup program's folder.
// Unattended, only an existing file is started (no folder window), and the shell shows no
// message when the start fails.
void startProduct(HWND page)
{
    loadInstallEntry(1);
    char path[PATH_SIZE];
    // a path that does not fit would name another file: nothing is started then
    if (setup.noLaunch || !textCopy(path, sizeof path, setup.destDir) ||
        !textAppend(path, sizeof path, setup.entryValue) || (setup.unattended && !fileStamp(path)))
        return;
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC | (setup.unattended ? SEE_MASK_FLAG_NO_UI : 0);
    start.hwnd = page;
    start.lpVerb = "open";
    start.lpFile = path;
    static const char inst[] = " -Inst";      // the log's text, and without its blank the argument
    start.lpParameters = inst + 1;
    start.nShow = SW_SHOWNORMAL;
    logResult(ShellExecuteExA(&start), logStartWord, path, inst);
}

// The destination and the choices, as the switches that would give them.
void logChoices()
{
    char options[] = " /MENU=0 /DESKTOP=0 /LAUNCH=0";
    options[7] = (char)('0' + setup.wantStartMenu);     // the digits' positions in the text
    options[18] = (char)('0' + setup.wantDesktop);
    options[28] = (char)('0' + !setup.noLaunch);
    logLine(logDestinationWord, setup.destDir, options);
}

