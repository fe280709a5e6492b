// The whole-or-untouched file copy: written beside the target, made the target in one step.
#include "util/whole_copy.h"

#include "app/state.h"
#include "util/file_identity.h"
#include "util/copy_rules.h"
#include "util/text.h"

#include <string.h>

enum { TEMPORARY_NAME_TRIES = 16 };

// A target in use is tried again after a pause, for about a second (a scanner's look lasts
// milliseconds), and for about five seconds over the whole run, so that a running product
// holding many files delays the run no more than that. Counted in pauses of one timer tick
// on Windows (15.6 ms).
enum { RETRY_PAUSE_MS = 15, PAUSES_PER_TARGET = 64, PAUSES_PER_RUN = 320 };

// NtSetInformationFile's classes for a rename and a hard link, and the same with flags
// (Windows 10 1809 and later): their POSIX semantics replace a target that other programs
// hold open with delete sharing, as scanners and indexers do, and a read-only one
enum { RENAME_CLASS = 10, LINK_CLASS = 11, RENAME_EX_CLASS = 65, LINK_EX_CLASS = 72 };
enum { REPLACE_IF_EXISTS = 1, POSIX_SEMANTICS = 2, IGNORE_READONLY_ATTRIBUTE = 0x40 };
enum : LONG { UNSUCCESSFUL_STATUS = (LONG)0xC0000001, NAME_INVALID_STATUS = (LONG)0xC0000033 };

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
        *digit = (char)(attempt < 10 ? '0' + attempt : 'a' - 10 + attempt);
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
// name (linked) or as its only one. The system's own call, which takes the NT form of the
// full path: "\??\" before a drive's path and for the rest of a "\\?\" or "\\.\" path,
// "\??\UNC\" for the rest of a share's. The full path also leaves out what Windows leaves out
// of a name (trailing dots and blanks) and names a device as one. It is tried with POSIX
// semantics first, the classic way where the system answers anything but done or in use
// (older systems do not know those classes, FAT refuses them, and a 32-bit program on a
// 64-bit system whose translation layer passed them on untranslated gets some other refusal).
static LONG placeOver(HANDLE file, const char* target, int linked)
{
    static const WCHAR prefix[] = L"\\??\\UNC\\";
    struct {
        ULONG flags;            // the classic classes read its first byte: replace if it exists
        HANDLE rootDirectory;
        ULONG fileNameLength;
        WCHAR fileName[PATH_SIZE + 8];
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
    memcpy(request.fileName, prefix, kept * sizeof(WCHAR));
    // with its terminator: some of the system's paths read the name up to it
    memcpy(request.fileName + kept, rest, (length + 1) * sizeof(WCHAR));
    request.flags = REPLACE_IF_EXISTS | POSIX_SEMANTICS | IGNORE_READONLY_ATTRIBUTE;
    request.rootDirectory = nullptr;
    request.fileNameLength = (kept + length) * sizeof(WCHAR);
    ULONG_PTR status[2];        // the call's own status block
    LONG answer = setInformation(file, status, &request, sizeof request, linked ? LINK_EX_CLASS : RENAME_EX_CLASS);
    if (replaceAnswer(answer) >= REPLACE_UNKNOWN) {
        request.flags = TRUE;
        answer = setInformation(file, status, &request, sizeof request, linked ? LINK_CLASS : RENAME_CLASS);
    }
    return answer;
}

// One try. As the temporary file was made: one made to be linked in stays deleted on close
// (so a refused link has it made again even when an earlier copy found links refused
// meanwhile); one to be renamed keeps its delete disposition but for the try itself, so that
// a kill while it waits for its target leaves nothing behind.
static LONG placeOnce(WholeCopy* copy)
{
    if (!copy->renamed)
        return placeOver(copy->out, copy->target, 1);
    if (!setDeleteOnClose(copy->out, false))
        return UNSUCCESSFUL_STATUS;
    LONG status = placeOver(copy->out, copy->target, 0);
    if (status < 0)
        setDeleteOnClose(copy->out, true);
    return status;
}

// 1 when the complete copy became the target, 0 when it could not, -1 when the volume took
// no hard link for it (the copy is then made again without one).
static int replaceTarget(WholeCopy* copy, const int* stop)
{
    // as a copy by the system: the source's last-write time (a target whose time cannot be
    // set, on a share that refuses it, still gets a good copy)
    FILE_BASIC_INFO basic = {};
    basic.LastWriteTime = copy->source.LastWriteTime;
    SetFileInformationByHandle(copy->out, FileBasicInfo, &basic, sizeof basic);
    LONG status = placeOnce(copy);
    // the classic way refuses a read-only target: tried again at once without the attribute,
    // which it gets back when the copy does not take its place
    DWORD without = INVALID_FILE_ATTRIBUTES;
    if (replaceAnswer(status) == REPLACE_IN_USE) {
        without = withoutReadOnly(GetFileAttributesA(copy->target));
        if (without != INVALID_FILE_ATTRIBUTES && SetFileAttributesA(copy->target, without))
            status = placeOnce(copy);
    }
    // a target in use is tried again for a bounded time, unless *stop is set meanwhile
    for (int pauses = 0; replaceAnswer(status) == REPLACE_IN_USE && pauses < PAUSES_PER_TARGET &&
                         setup.retriesSpent < PAUSES_PER_RUN && !*(const volatile int*)stop;
         ++pauses) {
        ++setup.retriesSpent;
        Sleep(RETRY_PAUSE_MS);
        status = placeOnce(copy);
    }
    int answer = replaceAnswer(status);
    if (answer == REPLACE_DONE)
        return 1;
    if (without != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(copy->target, without | FILE_ATTRIBUTE_READONLY);
    typedef ULONG(WINAPI * ErrorProc)(LONG);
    SetLastError(reinterpret_cast<ErrorProc>(reinterpret_cast<void*>(systemProc("RtlNtStatusToDosError")))(status));
    // A volume that said it takes hard links but does not know them (some shares) leaves the
    // target as it was: the copy is made again and renamed into place.
    return !copy->renamed && answer == REPLACE_UNKNOWN ? -1 : 0;
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
        replaced = state == 0 ? replaceTarget(copy, stop) : 0;
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
    HANDLE handle = openForIdentity(folder);
    DWORD flags = 0;
    GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0);
    CloseHandle(handle);
    setup.noHardLinks = !(flags & FILE_SUPPORTS_HARD_LINKS) && !linkTaken(folder);
}
