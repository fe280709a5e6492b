// The folder links the uninstall's walk never enters (see folder_link.h).
#include "uninstall/folder_link.h"

// the platform's values, spelled here so that the rule also compiles without it
enum : uint32_t {
    ATTRIBUTE_DIRECTORY = 0x10,         // FILE_ATTRIBUTE_DIRECTORY
    ATTRIBUTE_REPARSE_POINT = 0x400,    // FILE_ATTRIBUTE_REPARSE_POINT
    TAG_MOUNT_POINT = 0xA0000003,       // IO_REPARSE_TAG_MOUNT_POINT
    TAG_SYMLINK = 0xA000000C,           // IO_REPARSE_TAG_SYMLINK
};

bool isFolderLink(uint32_t attributes, uint32_t reparseTag)
{
    if (!(attributes & ATTRIBUTE_DIRECTORY) || !(attributes & ATTRIBUTE_REPARSE_POINT))
        return false;
    return reparseTag == 0 || reparseTag == TAG_MOUNT_POINT || reparseTag == TAG_SYMLINK;
}
