// Creation and removal of the product's shell shortcuts (.lnk) in the Programs menu
// (in the group folder when the manifest has group entries), on the desktop and in Startup.
#pragma once

// kind: a ShortcutKind. remove non-zero removes, 0 creates. name: the link name of a
// single shortcut, or null for the product's own.
void manageShortcuts(int kind, int remove, const char* name);
