// The whole-or-untouched file copy: written beside the target, moved over it in one step.
#include "util/whole_copy.h"

#include "app/state.h"

#include <string.h>

enum { TEMPORARY_NAME_LENGTH = 8, TEMPORARY_NAME_TRIES = 16 };

DWORD copiedAttributes(DWORD sourceAttributes)
{
    return sourceAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
}

static bool setDeleteOnClose(HANDLE file, bool deleteOnClose)
{
    FILE_DISPOSITION_INFO disposition = { (BOOLEAN)deleteOnClose };
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// The temporary file, in the target's own folder so that the move never leaves its drive,
// named "~0000000" to "~000000f", or shorter for a shorter target name: it fits wherever the
// target's path fits, and never names a device (AUX, COM1). It is created new and given the
// delete disposition at once: from then on an unfinished copy never outlives the process,
// even one killed outright (the disposition works wherever a file can be deleted at all).
// Read-only comes only after the move: a read-only file cannot be given the disposition.
static bool createBeside(WholeCopy* copy)
{
    char path[PATH_SIZE];
    char* name = nullptr;       // found double-byte aware: a trail byte 0x5C is no separator
    DWORD full = GetFullPathNameA(copy->target, sizeof path, path, &name);
    if (full == 0 || full >= sizeof path || name == nullptr)
        return false;
    size_t length = strlen(name);
    if (length > TEMPORARY_NAME_LENGTH)
        length = TEMPORARY_NAME_LENGTH;
    memset(name, '0', length);
    name[0] = '~';
    name[length] = 0;
    DWORD attributes = copiedAttributes(copy->source.FileAttributes) & ~FILE_ATTRIBUTE_READONLY;
    for (int attempt = 0; attempt < TEMPORARY_NAME_TRIES; ++attempt) {
        name[length - 1] = "0123456789abcdef"[attempt];
        copy->out = CreateFileA(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, attributes, nullptr);
        if (copy->out != INVALID_HANDLE_VALUE) {
            setDeleteOnClose(copy->out, true);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

int beginWholeCopy(WholeCopy* copy, const char* source, const char* target)
{
    copy->target = target;
    copy->in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                           nullptr);
    if (copy->in == INVALID_HANDLE_VALUE)
        return 0;
    // attributes and times only: the fuller GetFileInformationByHandle also asks for the
    // volume's serial number, which under Wine costs more than copying a small file
    if (!GetFileInformationByHandleEx(copy->in, FileBasicInfo, &copy->source, sizeof copy->source) ||
        (copy->source.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !createBeside(copy)) {
        CloseHandle(copy->in);
        return 0;
    }
    return 1;
}

int copyWholePiece(WholeCopy* copy)
{
    DWORD read = 0, written = 0;
    if (!ReadFile(copy->in, copyPiece, COPY_PIECE_SIZE, &read, nullptr))
        return -1;
    if (read == 0)
        return 0;
    if (!WriteFile(copy->out, copyPiece, read, &written, nullptr) || written != read)
        return -1;
    return 1;
}

// The open file takes the target's name, replacing what is there, in one step.
static bool moveOver(HANDLE file, const char* target)
{
    union {
        FILE_RENAME_INFO info;
        char bytes[sizeof(FILE_RENAME_INFO) + PATH_SIZE * sizeof(WCHAR)];
    } request;
    int length = MultiByteToWideChar(CP_ACP, 0, target, -1, request.info.FileName, PATH_SIZE);
    if (length <= 1)
        return false;
    request.info.ReplaceIfExists = TRUE;
    request.info.RootDirectory = nullptr;
    request.info.FileNameLength = (DWORD)(length - 1) * sizeof(WCHAR);
    return SetFileInformationByHandle(file, FileRenameInfo, &request, sizeof request) != 0;
}

static bool replaceTarget(WholeCopy* copy)
{
    // as a copy by the system: the source's last-write time (a target whose time cannot be
    // set, on a share that refuses it, still gets a good copy), then its attributes
    FILE_BASIC_INFO basic = {};
    basic.LastWriteTime = copy->source.LastWriteTime;
    SetFileInformationByHandle(copy->out, FileBasicInfo, &basic, sizeof basic);
    // kept while the disposition stands, the moved file would go when it closes
    if (!setDeleteOnClose(copy->out, false))
        return false;
    bool moved = moveOver(copy->out, copy->target);
    if (!moved) {
        // a read-only target refuses to be replaced: without the attribute for the move,
        // and with it again when the move fails all the same
        DWORD old = GetFileAttributesA(copy->target);
        if (old == INVALID_FILE_ATTRIBUTES || (old & FILE_ATTRIBUTE_DIRECTORY) || !(old & FILE_ATTRIBUTE_READONLY))
            return false;
        SetFileAttributesA(copy->target, old & ~FILE_ATTRIBUTE_READONLY);
        moved = moveOver(copy->out, copy->target);
        if (!moved) {
            SetFileAttributesA(copy->target, old);
            return false;
        }
    }
    if (copy->source.FileAttributes & FILE_ATTRIBUTE_READONLY) {
        basic.LastWriteTime.QuadPart = 0;       // 0: left as it is
        basic.FileAttributes = copiedAttributes(copy->source.FileAttributes);
        SetFileInformationByHandle(copy->out, FileBasicInfo, &basic, sizeof basic);
    }
    return true;
}

// Closes both files. When complete, the copy takes the source's time and attributes and
// replaces the target; otherwise, or when the target cannot be replaced, the unfinished file
// goes as it closes and the target stays as it was. 1 when the target was replaced.
static int endWholeCopy(WholeCopy* copy, bool complete)
{
    CloseHandle(copy->in);
    int replaced = complete && replaceTarget(copy);
    if (!replaced)
        setDeleteOnClose(copy->out, true);
    CloseHandle(copy->out);
    return replaced;
}

int finishWholeCopy(WholeCopy* copy, int state, const int* stop)
{
    while (state > 0)
        state = *(const volatile int*)stop ? -1 : copyWholePiece(copy);
    return endWholeCopy(copy, state == 0);
}

int copyFileWhole(const char* source, const char* target)
{
    static const int never = 0;
    WholeCopy copy;
    return beginWholeCopy(&copy, source, target) && finishWholeCopy(&copy, 1, &never);
}
