// Which folders of the installation the uninstall's walk never enters: links that may lead
// out of it. Pure: the program and the host tests share it.
#pragma once

#include <stdint.h>

// An entry as a directory search reports it: its attributes, and its reparse tag (the find
// data's dwReserved0, which means something only with the reparse-point attribute). A
// folder that is a mount point (a junction), a symbolic link, or a reparse point with tag 0
// (a Unix link under Wine, which leaves the field as the caller zeroed it) is a link; other
// reparse folders, such as cloud placeholders and deduplicated folders, hold their own
// files and are walked as folders.
bool isFolderLink(uint32_t attributes, uint32_t reparseTag);
