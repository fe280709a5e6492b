// Message boxes of the form "path followed directly by a sentence".
#pragma once

#include "app/platform.h"

// Longest path (259 bytes) plus the longest sentence shown after one, with room to spare.
enum { MESSAGE_SIZE = 260 + 256 };

// Composes first + second + third (null parts are skipped) into text, never cut short
// while the parts fit MESSAGE_SIZE.
void composeMessage(char* text, const char* first, const char* second, const char* third = nullptr,
                    const char* fourth = nullptr);

#ifdef _WIN32
// Shows path + sentence owned by setup.activeDialog, caption messageCaption, stop icon, OK.
void showPathError(const char* path, const char* sentence);
#endif
