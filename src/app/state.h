// The one process-wide state record and the one compiled-in product configuration.
// Every part of the program reads and writes these two; there are no other globals.
#pragma once

#include "app/platform.h"

#include <stddef.h>

enum { PATH_SIZE = 260, EXE_NAME_SIZE = 52, MANIFEST_NAME_SIZE = 56, KEY_BUFFER_SIZE = 32 };

enum ShortcutKind { SHORTCUT_PROGRAMS = 0, SHORTCUT_DESKTOP = 1, SHORTCUT_STARTUP = 2 };

// Option bits, shared by the previous installation's option number and optionBits.
enum { OPTION_START_MENU = 2, OPTION_DESKTOP = 4, OPTION_PAGE_DONE = 8 };

struct ProductConfig {
    const char* productName;
    const char* productKey;
    int savedOptions;               // the default option number: both boxes checked
    const char* messageCaption;
    const char* destinationLabel;
    const char* shellFolderNames[3];
};

// The setup manifest as read once (src/manifest/manifest_file.cpp): its text in the ANSI
// code page and, for sections "Install" and "Group", where the line of each numbered entry
// begins (offset + 1, 0 for none; entries from slots on are looked up by a scan).
struct ManifestSectionIndex {
    unsigned* lineOfEntry;
    unsigned slots;
    int present;
};

struct ManifestText {
    int read;                       // 1 once the file was read (or found missing)
    char* text;                     // null when the file could not be read
    size_t size;
    ManifestSectionIndex install;
    ManifestSectionIndex group;
};

struct SetupState {
    HINSTANCE instanceHandle;
    char exePath[PATH_SIZE];
    char baseDir[PATH_SIZE];
    char exeName[EXE_NAME_SIZE];
    char manifestName[MANIFEST_NAME_SIZE];
    char manifestPath[PATH_SIZE];
    char destDir[PATH_SIZE];
    char entryValue[PATH_SIZE];
    char entryTarget[PATH_SIZE];
    char* targetTail;               // inside entryTarget: where the relative part starts
    char keyBuffer[KEY_BUFFER_SIZE];
    int savedOptions;               // starts as the configured default, replaced once at start-up
    int previousFound;              // 1 when destDir came from the Uninstall key's command
    int installCount;
    int groupCount;
    int optionBits;
    int wantStartMenu;
    int wantDesktop;
    HWND sheetWindow;
    HWND activeDialog;
    int stepIndex;
    int installFailed;
    unsigned barMovedAt;            // tick count of the progress bar's last move
    int stepRunning;                // 1 while an install step runs (it may let messages through)
    int installCancelled;           // 1 once the wizard was cancelled during the installation
    int deleteAll;
    int closeProduct;               // /CLOSE: the seconds a product in use has to close; 0: not asked
    int noHardLinks;                // 1: the destination volume takes no hard links (asked at the
                                    // start, or it refused a copy's link): copies are renamed into place
    int retriesSpent;               // pauses before a target in use was tried again, this run
    ManifestText manifest;

    // The command line's switches (entry/switches.h) and what an unattended run came to.
    int unattended;                 // 1: no window; every question gets the answer that keeps data
    int noLaunch;                   // 1: the product is not started after the installation
    int optionsGiven;               // option bits the switches give, over savedOptions
    int optionsOn;                  // and which of them are on
    int exitCode;                   // the highest exit code raised so far (raiseExitCode)
    void* logFile;                  // the log's handle (util/log.h); null without a log
    char logPath[PATH_SIZE];
    char switchDestination[PATH_SIZE];  // /D=, "" when not given
    char removalPath[PATH_SIZE];        // /X=: the uninstall run's program path, "" when not given
};

extern SetupState setup;
extern const ProductConfig product;
// The product's key under HKLM's Uninstall key (productKey's), which other software writes.
extern const char productUninstallKey[];

// Exit codes. Interactive runs end with EXIT_INTERACTIVE whatever happened; an unattended run
// ends with the highest code raised, so the removal's codes go from the mildest to the worst.
enum ExitCode {
    EXIT_DONE = 0,
    EXIT_INTERACTIVE = 1,
    EXIT_BAD_COMMAND_LINE = 2,      // nothing was done
    EXIT_LOG_FAILED = 3,            // the log could not be opened: nothing was done
    EXIT_DESTINATION_FAILED = 4,    // the destination cannot be used or made: nothing installed
    EXIT_ENTRIES_FAILED = 5,        // one or more install entries failed; the others are in place
    EXIT_FILES_KEPT = 6,            // removed, but files the installation did not bring were kept
    EXIT_REMOVAL_FAILED = 7,        // a file or folder could not be removed
    EXIT_MAIN_FILE_IN_USE = 8,      // the product is in use: nothing was changed (interactive: stopped there)
    EXIT_RELAUNCH_FAILED = 9,       // the copy in the system directory could not run, or crashed
};

void raiseExitCode(int code);

// The install copy's buffer, one for the whole run (a buffer for each file cost time under
// Wine). 64 KiB pieces copy as fast as the system's own copy; larger ones were slower.
enum { COPY_PIECE_SIZE = 64 << 10 };
extern char copyPiece[COPY_PIECE_SIZE];

// Back to the state of a freshly started process (tests run many scenarios in one process).
void resetSetupState();
