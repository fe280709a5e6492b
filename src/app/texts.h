// Every sentence the program shows, in one place. The sources are UTF-8; the compiler
// stores them in Shift_JIS (code page 932), the bytes the user's system displays.
#pragma once

// Folder creation and file removal: the path comes first, then the sentence.
extern const char folderIsFileSentence[];
extern const char folderFailedSentence[];
extern const char deleteFailedSentence[];

// Destination page.
extern const char destinationRequest[];
extern const char driveFormMessage[];
extern const char lowSpaceQuestion[];       // one %u: whole MiB free

// Progress page.
extern const char installFailedSentence[];
extern const char installDoneSentence[];

// Uninstall.
extern const char relaunchPromptTail[];
extern const char relaunchFailedMessage[];
extern const char removalCaptionTail[];
extern const char removedTail[];
extern const char filesRemainTail[];
extern const char mainFileFailedMiddle[];
extern const char mainFileFailedTail[];
extern const char removeFileQuestion[];
extern const char qsoDataWarning[];
extern const char folderRemoveFailedSentence[];
extern const char notThisInstallationSentence[];

// The log (util/log.h): the words around the paths and sentences of each line.
extern const char logCommandLineWord[];
extern const char logDestinationWord[];
extern const char logCopyWord[];
extern const char logMoveWord[];
extern const char logArrow[];
extern const char logDeleteWord[];
extern const char logMadeWord[];
extern const char logShortcutWord[];
extern const char logStartWord[];
extern const char logRestartWord[];
extern const char logKeptWord[];
extern const char logInUseWord[];
extern const char logProcessWord[];
extern const char logCloseAskedWord[];
extern const char logDoneWord[];
extern const char logFailedWord[];
extern const char logErrorWord[];
extern const char logExitWord[];
