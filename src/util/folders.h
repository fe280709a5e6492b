// Folder creation level by level, and file removal; each reports its own failure in a
// message box owned by setup.activeDialog (util/message.h) and leaves the caller's text as
// it found it. A folder made and a file deleted are written to the log.
#pragma once

// True for a drive root alone, such as C:\.
bool isDriveRoot(const char* path);

// path ends in a backslash. 1 when the level exists as a directory afterwards.
int makeFolderLevel(char* path);

// path ends in a backslash. 1 when every level exists afterwards.
int makeFolderPath(char* path);

// 1 when no file is left at path (also when there was none).
int removeFile(const char* path);
