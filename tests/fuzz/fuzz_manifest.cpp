// Fuzz target for the splits of manifest values: arbitrary Shift_JIS bytes as the
// destination and the value, through the install entry, group entry and copy-mode splits.
// Each is checked against a model: the split is at the first comma on a character
// boundary, a target is the destination and the rest exactly or none at all.
#include "fuzz_check.h"
#include "app/state.h"
#include "copymode/copy_paths.h"
#include "manifest/entry_rules.h"
#include "util/text.h"

#include <stdint.h>
#include <string.h>

static void checkInstallSplit(const std::string& value, bool valueFits)
{
    std::string destDir = setup.destDir;
    textCopy(setup.entryValue, sizeof setup.entryValue, value.c_str());
    std::string stored = setup.entryValue;
    splitInstallEntry(valueFits);
    size_t comma = firstOnBoundary(stored, ',');
    std::string source = stored.substr(0, comma);
    std::string relative = comma == std::string::npos ? stored : stored.substr(comma + 1);
    CHECK(setup.entryValue == source);
    std::string target = destDir + relative;
    if (valueFits && target.size() <= PATH_SIZE - 1) {
        CHECK(setup.entryTarget == target);
        CHECK(setup.targetTail == setup.entryTarget + destDir.size());
    } else {
        CHECK(setup.entryTarget[0] == 0 && setup.targetTail == setup.entryTarget);
    }
}

static void checkGroupSplit(const std::string& value, bool valueFits)
{
    std::string destDir = setup.destDir;
    textCopy(setup.entryValue, sizeof setup.entryValue, value.c_str());
    std::string stored = setup.entryValue;
    textCopy(setup.entryTarget, sizeof setup.entryTarget, "before");
    splitGroupEntry(valueFits);
    size_t comma = firstOnBoundary(stored, ',');
    CHECK(isGroupEntry(stored.c_str()) == (comma != std::string::npos && comma != 0));
    if (!valueFits || comma == std::string::npos || destDir.size() + stored.size() - comma - 1 > PATH_SIZE - 1) {
        CHECK(setup.entryValue[0] == 0 && strcmp(setup.entryTarget, "before") == 0);
        return;
    }
    CHECK(setup.entryValue == stored.substr(0, comma));
    CHECK(setup.entryTarget == destDir + stored.substr(comma + 1));
}

static void checkCopiedName(const std::string& value)
{
    char buffer[PATH_SIZE];
    textCopy(buffer, sizeof buffer, value.c_str());
    std::string stored = buffer;
    const char* name = copiedName(buffer);
    size_t comma = firstOnBoundary(stored, ',');
    CHECK(name == buffer + (comma == std::string::npos ? 0 : comma + 1));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // byte 0: whether the value fitted its read, and the destination's length
    bool valueFits = (data[0] & 1) == 0;
    std::string text((const char*)data + 1, size - 1);
    size_t split = (data[0] >> 1) * 3 < text.size() ? (data[0] >> 1) * 3 : text.size();
    std::string destDir = text.substr(0, split);
    std::string value = text.substr(split);
    destDir = destDir.substr(0, destDir.find('\0'));
    value = value.substr(0, value.find('\0'));

    resetSetupState();
    textCopy(setup.destDir, sizeof setup.destDir, destDir.c_str());
    checkInstallSplit(value, valueFits);
    checkGroupSplit(value, valueFits);
    checkCopiedName(value);
    CHECK(strnlen(setup.entryValue, PATH_SIZE) < PATH_SIZE && strnlen(setup.entryTarget, PATH_SIZE) < PATH_SIZE);
    return 0;
}
