// One fuzz target for the native text and path logic: the first input byte picks the
// operation (0xF8 and above: the INI line rules), the rest is its text (two texts are split at the first zero byte). Each
// operation's promises are checked; the sanitizers catch every access past a buffer.
#include "app/state.h"
#include "copymode/copy_paths.h"
#include "entry/arguments.h"
#include "entry/switches.h"
#include "manifest/entry_rules.h"
#include "manifest/ini_text.h"
#include "manifest/destination.h"
#include "util/text.h"

#include "fuzz_check.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

static bool terminatedWithin(const char* text, size_t size)
{
    return strnlen(text, size) < size;
}

// Every text field of the state still ends inside its own buffer.
static void checkStateTerminated()
{
    CHECK(terminatedWithin(setup.exePath, sizeof setup.exePath));
    CHECK(terminatedWithin(setup.baseDir, sizeof setup.baseDir));
    CHECK(terminatedWithin(setup.exeName, sizeof setup.exeName));
    CHECK(terminatedWithin(setup.manifestName, sizeof setup.manifestName));
    CHECK(terminatedWithin(setup.manifestPath, sizeof setup.manifestPath));
    CHECK(terminatedWithin(setup.destDir, sizeof setup.destDir));
    CHECK(terminatedWithin(setup.entryValue, sizeof setup.entryValue));
    CHECK(terminatedWithin(setup.entryTarget, sizeof setup.entryTarget));
    CHECK(terminatedWithin(setup.keyBuffer, sizeof setup.keyBuffer));
    CHECK(terminatedWithin(setup.logPath, sizeof setup.logPath));
    CHECK(terminatedWithin(setup.switchDestination, sizeof setup.switchDestination));
    CHECK(terminatedWithin(setup.removalPath, sizeof setup.removalPath));
    CHECK(setup.targetTail >= setup.entryTarget && setup.targetTail <= setup.entryTarget + strlen(setup.entryTarget));
}

// True when position pos of text is a character boundary: no double-byte character
// starts at pos - 1 and runs over it.
static bool onBoundary(const char* text, size_t pos)
{
    return pos == 0 || !endsInsideDbcs(text, pos);
}

// A cut copy is a prefix of the source that ends on a character boundary, as long as
// the room allowed.
static void checkCut(const std::string& result, const std::string& source, size_t room)
{
    CHECK(result.size() <= room);
    CHECK(source.compare(0, result.size(), result) == 0);
    CHECK(onBoundary(source.c_str(), result.size()));
    CHECK(result.size() + 2 > room);
}

static void fuzzCopy(const std::string& a, size_t size)
{
    char* dst = (char*)malloc(size ? size : 1);
    dst[0] = 'x';
    bool fits = textCopy(dst, size, a.c_str());
    if (size == 0) {
        CHECK(!fits && dst[0] == 'x');
    } else {
        CHECK(terminatedWithin(dst, size));
        if (fits)
            CHECK(a == dst);
        else
            checkCut(dst, a, size - 1);
    }
    free(dst);
}

static void fuzzAppend(const std::string& a, const std::string& b, size_t size)
{
    if (size == 0)
        return;
    char* dst = (char*)malloc(size);
    bool startTerminated = a.size() < size;
    // an unterminated start reads as a full buffer
    memcpy(dst, a.c_str(), startTerminated ? a.size() + 1 : size);
    bool fits = textAppend(dst, size, b.c_str());
    CHECK(terminatedWithin(dst, size));
    if (!startTerminated) {
        CHECK(!fits);
    } else {
        std::string result = dst;
        CHECK(result.compare(0, a.size(), a) == 0);
        if (fits)
            CHECK(result == a + b);
        else
            checkCut(result.substr(a.size()), b, size - 1 - a.size());
    }
    free(dst);
}

static void fuzzTrailingSeparator(const std::string& a, size_t size)
{
    if (a.size() >= size)
        return;
    char* text = (char*)malloc(size);
    memcpy(text, a.c_str(), a.size() + 1);
    bool done = ensureTrailingSeparator(text, size);
    CHECK(terminatedWithin(text, size));
    size_t n = strlen(text);
    CHECK(std::string(text, a.size()) == a);
    if (done) {
        CHECK(n == a.size() || n == a.size() + 1);
        CHECK(n > 0 && text[n - 1] == '\\' && onBoundary(text, n - 1));
    } else {
        CHECK(n == a.size());
    }
    free(text);
}

static void fuzzArguments(const std::string& a)
{
    const char* arguments = argumentText(a.c_str());
    CHECK(arguments >= a.c_str() && arguments <= a.c_str() + a.size());
    CHECK(arguments[0] == 0 || (unsigned char)arguments[0] > 32);
    const char* rest = nullptr;
    SetupMode mode = selectMode(arguments, &rest);
    CHECK(rest != nullptr);
    if (mode == MODE_COPY || mode == MODE_UNINSTALL)
        CHECK(rest[0] == 0 || (rest >= arguments && rest <= a.c_str() + a.size()));
    resetSetupState();
    readSwitches(arguments, INSTALL_SWITCHES);
    checkStateTerminated();
    resetSetupState();
    if (deriveOriginPaths(rest)) {
        size_t base = strlen(setup.baseDir);
        CHECK(base > 0 && setup.baseDir[base - 1] == '\\');
        CHECK(std::string(setup.manifestPath) == std::string(setup.baseDir) + setup.manifestName);
        CHECK(strlen(setup.manifestName) == strlen(setup.exeName) || strlen(setup.exeName) < 3);
    } else {
        CHECK(setup.baseDir[0] == 0 && setup.exeName[0] == 0 && setup.manifestPath[0] == 0);
    }
    checkStateTerminated();
}

static void fuzzEntries(const std::string& a, const std::string& b, bool group, bool valueFits)
{
    resetSetupState();
    textCopy(setup.destDir, sizeof setup.destDir, a.c_str());
    textCopy(setup.entryValue, sizeof setup.entryValue, b.c_str());
    if (group) {
        textCopy(setup.entryTarget, sizeof setup.entryTarget, "unchanged");
        bool entry = valueFits && findChar(setup.entryValue, ',') != nullptr;
        splitGroupEntry(valueFits);
        if (!entry)
            CHECK(setup.entryValue[0] == 0 && strcmp(setup.entryTarget, "unchanged") == 0);
    } else {
        splitInstallEntry(valueFits);
    }
    if (setup.entryTarget[0] != 0 && strcmp(setup.entryTarget, "unchanged") != 0)
        CHECK(strncmp(setup.entryTarget, setup.destDir, strlen(setup.destDir)) == 0);
    checkStateTerminated();
}

static void fuzzUninstallCommand(const std::string& a)
{
    char value[PATH_SIZE];
    textCopy(value, sizeof value, a.c_str());
    int options = -12345;
    parseUninstallCommand(value, &options);
    CHECK(terminatedWithin(value, sizeof value));
    CHECK(options == -12345 || options == 46 || options >= 2);
}

static void fuzzCopyArguments(const std::string& a, const std::string& b)
{
    char text[COPY_ARGUMENTS_SIZE];
    if (!textCopy(text, sizeof text, a.c_str()))
        return;
    CopyArguments parts;
    if (splitCopyArguments(text, &parts)) {
        CHECK(std::string(parts.linkName) + "/" + parts.target + "/" + parts.folder == a);
        CHECK(findChar(parts.linkName, '/') == nullptr && findChar(parts.target, '/') == nullptr);
    } else {
        CHECK(a == text);
    }
    char path[PATH_SIZE];
    if (joinFolderAndName(path, sizeof path, a.c_str(), b.c_str())) {
        std::string joined = path;
        CHECK(joined.compare(0, a.size(), a) == 0);
        CHECK(joined.size() >= a.size() + b.size() && joined.size() <= a.size() + b.size() + 1);
        CHECK(joined.compare(joined.size() - b.size(), b.size(), b) == 0);
        CHECK(!endsInLoneLeadByte(a.c_str()));      // no separator was swallowed as a trail byte
    } else {
        CHECK(path[0] == 0);
    }
    char value[PATH_SIZE];
    textCopy(value, sizeof value, b.c_str());
    char* name = copiedName(value);
    CHECK(name >= value && name <= value + strlen(value));
    isFullPath(a.c_str());
}

// The INI line rules over a buffer with no terminator, so that any read past it is caught.
static void fuzzIni(const uint8_t* data, size_t size)
{
    char* text = (char*)malloc(size ? size : 1);
    memcpy(text, data, size);
    IniCursor cursor;
    iniStart(&cursor, text, size);
    IniLine line;
    unsigned lines = 0;
    while (iniNextLine(&cursor, &line)) {
        CHECK(line.name >= text && line.name + line.nameLength <= text + size);
        CHECK(line.value >= text && line.value + line.valueLength <= text + size);
        CHECK(line.number == ++lines);
        IniLine again;
        iniLineAt(text, size, line.offset, &again);
        CHECK(again.kind == line.kind && again.valueLength == line.valueLength);
    }
    for (const char* key : { "1", "2", "10" }) {
        if (iniFindValue(text, size, "Install", key, &line))
            CHECK(line.value >= text && line.value + line.valueLength <= text + size);
    }
    free(text);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    uint8_t op = data[0];
    if (op >= 0xF8) {
        fuzzIni(data + 1, size - 1);
        return 0;
    }
    size_t bufferSize = data[1] + 40;          // 40 .. 295: around the 260-byte limit
    std::string text((const char*)data + 2, size - 2);
    size_t zero = text.find('\0');
    std::string a = text.substr(0, zero);
    std::string b = zero == std::string::npos ? "" : text.substr(zero + 1);
    b = b.substr(0, b.find('\0'));

    switch (op % 8) {
    case 0: fuzzCopy(a, bufferSize); fuzzCopy(a, op >> 3); break;
    case 1: fuzzAppend(a, b, bufferSize); fuzzAppend(a, b, op >> 3); break;
    case 2: fuzzTrailingSeparator(a, bufferSize); fuzzTrailingSeparator(a, (op >> 3) + 1); break;
    case 3: fuzzArguments(a); break;
    case 4: fuzzEntries(a, b, false, op & 8); break;
    case 5: fuzzEntries(a, b, true, op & 8); break;
    case 6: fuzzUninstallCommand(a); break;
    case 7: fuzzCopyArguments(a, b); break;
    }
    return 0;
}
