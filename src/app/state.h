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
    ManifestText manifest;
};

extern SetupState setup;
extern const ProductConfig product;

// The install copy's buffer, one for the whole run (a buffer for each file cost time under
// Wine). 64 KiB pieces copy as fast as the system's own copy; larger ones were slower.
enum { COPY_PIECE_SIZE = 64 << 10 };
extern char copyPiece[COPY_PIECE_SIZE];

// Back to the state of a freshly started process (tests run many scenarios in one process).
void resetSetupState();
