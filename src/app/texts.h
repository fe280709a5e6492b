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
