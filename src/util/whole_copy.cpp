// The whole-or-untouched file copy: written beside the target, made the target in one step.
#include "util/whole_copy.h"

#include "app/state.h"
#include "util/copy_rules.h"
#include "util/text.h"

#include <string.h>

enum { TEMPORARY_NAME_TRIES = 16 };

// NtSetInformationFile's classes for a rename and a hard link, and the statuses that name a
// target refused as it is (in use, protected, a folder)
enum { RENAME_CLASS = 10, LINK_CLASS = 11 };
enum : LONG { ACCESS_DENIED_STATUS = (LONG)0xC0000022, SHARING_VIOLATION_STATUS = (LONG)0xC0000043,
              NAME_INVALID_STATUS = (LONG)0xC0000033 };

static bool setDeleteOnClose(HANDLE file, bool deleteOnClose)
{
    FILE_DISPOSITION_INFO disposition = { (BOOLEAN)deleteOnClose };
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// The temporary file, in the target's own folder so that it never leaves its drive, named
// "~0" to "~f" (util/copy_rules.h): it fits wherever the target's path fits, and never names
// a device (AUX, COM1) nor the target. It is deleted when its handle closes, also when the
// process is killed outright: made so in the same step as the file where the volume has hard
// links (the complete copy is then linked in as the target); where it has none, given the
// delete disposition at once after it is made (a kill in between leaves it behind), to be
// cleared just before it is renamed over the target. Read-only comes only after the file has
// become the target.
static bool createBeside(WholeCopy* copy)
{
    char path[PATH_SIZE];
    char* name = nullptr;       // found double-byte aware: a trail byte 0x5C is no separator
    DWORD full = GetFullPathNameA(copy->target, sizeof path, path, &name);
    if (full == 0 || full >= sizeof path || name == nullptr)
        return false;
    char* digit = firstTemporaryName(name, full);
    copy->renamed = setup.noHardLinks;
    DWORD flags = temporaryFileFlags(copy->source.FileAttributes, copy->renamed);
    for (int attempt = 1;; ++attempt) {
        copy->out = CreateFileA(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, flags, nullptr);
        if (copy->out != INVALID_HANDLE_VALUE) {
            if (copy->renamed)
                setDeleteOnClose(copy->out, true);
            return true;
        }
        // Windows refuses access to the name of an earlier copy's temporary file that another
        // program (a virus scanner) still holds after it was deleted: the next name is tried
        DWORD error = GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED) || !digit || attempt == TEMPORARY_NAME_TRIES)
            return false;
        *digit = "0123456789abcdef"[attempt];
    }
}

int beginWholeCopy(WholeCopy* copy, const char* source, const char* target)
{
    copy->target = target;
    copy->buffer = copyPiece;
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
    if (!ReadFile(copy->in, copy->buffer, COPY_PIECE_SIZE, &read, nullptr))
        return -1;
    if (read == 0)
        return 0;
    if (!WriteFile(copy->out, copy->buffer, read, &written, nullptr) || written != read)
        return -1;
    return 1;
}

// ntdll's own calls, there on every version of Windows
static FARPROC systemProc(const char* name)
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), name);
}

// The open file takes the target's name, replacing what is there, in one step: as a second
// name (LINK_CLASS) or as its only one (RENAME_CLASS). The system's own call, which takes the
// NT form of the full path: "\??\" before a drive's path and for the rest of a "\\?\" or
// "\\.\" path, "\??\UNC\" for the rest of a share's. The full path also leaves out what
// Windows leaves out of a name (trailing dots and blanks) and names a device as one.
static LONG placeOver(HANDLE file, const char* target, int informationClass)
{
    static const WCHAR prefix[] = L"\\??\\UNC\\";
    union {
        FILE_RENAME_INFO info;
        char bytes[sizeof(FILE_RENAME_INFO) + (PATH_SIZE + 8) * sizeof(WCHAR)];
    } request;
    WCHAR wide[PATH_SIZE], path[PATH_SIZE];
    DWORD length = MultiByteToWideChar(CP_ACP, 0, target, -1, wide, PATH_SIZE) > 1 ?
                       GetFullPathNameW(wide, PATH_SIZE, path, nullptr) : 0;
    typedef LONG(WINAPI * SetInformationProc)(HANDLE, ULONG_PTR*, void*, ULONG, int);
    SetInformationProc setInformation =
        reinterpret_cast<SetInformationProc>(reinterpret_cast<void*>(systemProc("NtSetInformationFile")));
    if (length == 0 || length >= PATH_SIZE)
        return NAME_INVALID_STATUS;
    const WCHAR* rest = path;
    DWORD kept = 4;             // "\??\"
    if (path[0] == '\\' && path[1] == '\\') {
        bool local = (path[2] == '?' || path[2] == '.') && path[3] == '\\';
        kept = local ? 4 : 8;
        rest = path + (local ? 4 : 2);
    }
    length -= (DWORD)(rest - path);
    memcpy(request.info.FileName, prefix, kept * sizeof(WCHAR));
    memcpy(request.info.FileName + kept, rest, length * sizeof(WCHAR));
    request.info.ReplaceIfExists = TRUE;
    request.info.RootDirectory = nullptr;
    request.info.FileNameLength = (kept + length) * sizeof(WCHAR);
    ULONG_PTR status[2];        // the call's own status block
    return setInformation(file, status, &request, sizeof request, informationClass);
}

// 1 when the complete copy became the target, 0 when it could not, -1 when the volume took
// no hard link for it (the copy is then made again without one).
static int replaceTarget(WholeCopy* copy)
{
    // as a copy by the system: the source's last-write time (a target whose time cannot be
    // set, on a share that refuses it, still gets a good copy)
    FILE_BASIC_INFO basic = {};
    basic.LastWriteTime = copy->source.LastWriteTime;
    SetFileInformationByHandle(copy->out, FileBasicInfo, &basic, sizeof basic);
    // as the temporary file was made: one made to be linked in stays deleted on close, so a
    // refused link has it made again even when an earlier copy found links refused meanwhile
    int informationClass = copy->renamed ? RENAME_CLASS : LINK_CLASS;
    // kept while the disposition stands, the renamed file would go when it closes
    if (copy->renamed && !setDeleteOnClose(copy->out, false))
        return 0;
    LONG status = placeOver(copy->out, copy->target, informationClass);
    if (status < 0) {
        // a read-only target refuses to be replaced: without the attribute for the move,
        // and with it again when the move fails all the same
        DWORD old = GetFileAttributesA(copy->target);
        if (old != INVALID_FILE_ATTRIBUTES && (old & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) ==
                                                  FILE_ATTRIBUTE_READONLY) {
            SetFileAttributesA(copy->target, old & ~FILE_ATTRIBUTE_READONLY);
            status = placeOver(copy->out, copy->target, informationClass);
            if (status < 0)
                SetFileAttributesA(copy->target, old);
        }
    }
    if (status >= 0)
        return 1;
    if (copy->renamed)
        setDeleteOnClose(copy->out, true);
    // A volume without hard links (FAT, exFAT, some shares) refuses the link: Windows with a
    // status of its own, Wine with access denied after it has removed the target (a copy
    // made again is then renamed into the empty place). A target still there and refused
    // as in use or protected would refuse the rename as well: no second copy for it.
    bool refusedAsItIs = (status == ACCESS_DENIED_STATUS || status == SHARING_VIOLATION_STATUS) &&
                         GetFileAttributesA(copy->target) != INVALID_FILE_ATTRIBUTES;
    typedef ULONG(WINAPI * ErrorProc)(LONG);
    SetLastError(reinterpret_cast<ErrorProc>(reinterpret_cast<void*>(systemProc("RtlNtStatusToDosError")))(status));
    return informationClass == LINK_CLASS && !refusedAsItIs ? -1 : 0;
}

// For a volume without hard links, for the rest of the run: the file is made again from
// the start, as a temporary file that can be renamed. False when it cannot be.
static bool restartWithoutLink(WholeCopy* copy)
{
    setup.noHardLinks = 1;
    CloseHandle(copy->out);     // the temporary file goes as it closes
    copy->out = INVALID_HANDLE_VALUE;
    return SetFilePointer(copy->in, 0, nullptr, FILE_BEGIN) == 0 && createBeside(copy);
}

int finishWholeCopy(WholeCopy* copy, int state, const int* stop)
{
    int replaced;
    do {
        while (state > 0)
            state = *(const volatile int*)stop ? -1 : copyWholePiece(copy);
        replaced = state == 0 ? replaceTarget(copy) : 0;
        state = 1;
    } while (replaced < 0 && restartWithoutLink(copy));
    CloseHandle(copy->in);
    CloseHandle(copy->out);     // an unfinished or refused copy goes as it closes
    // a kill before this leaves the whole file without the attribute, as the system's copy would
    if (replaced > 0 && (copy->source.FileAttributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(copy->target, copiedAttributes(copy->source.FileAttributes));
    return replaced > 0;
}

int copyFileWhole(const char* source, const char* target)
{
    static const int never = 0;
    WholeCopy copy;
    return beginWholeCopy(&copy, source, target) && finishWholeCopy(&copy, 1, &never);
}

HANDLE openFolder(const char* path)
{
    return CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Whether the volume of folder takes a hard link between two files of this program's own,
// asked where the volume does not say it takes them (Windows Vista does not know the flag,
// Wine says it of no volume, FAT has none). The first file goes as it closes, the second name
// at once; no other file is ever touched (a name already there only makes the answer no).
static bool linkTaken(const char* folder)
{
    char first[PATH_SIZE], second[PATH_SIZE];
    if (!textCopy(first, sizeof first, folder) || !textAppend(first, sizeof first, "~0"))
        return false;
    memcpy(second, first, sizeof second);
    second[strlen(second) - 1] = '1';
    HANDLE file = CreateFileA(first, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    bool taken = file != INVALID_HANDLE_VALUE && CreateHardLinkA(second, first, nullptr);
    if (taken)
        DeleteFileA(second);
    CloseHandle(file);
    return taken;
}

void askTargetVolume(const char* folder)
{
    HANDLE handle = openFolder(folder);
    DWORD flags = 0;
    GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0);
    CloseHandle(handle);
    setup.noHardLinks = !(flags & FILE_SUPPORTS_HARD_LINKS) && !linkTaken(folder);
}
