// Fuzz target for the rules on files left in the installation folder: arbitrary bytes as
// the file name, a folder of any length before it. Checked against a model of the rules
// and of the question's exact text.
#include "fuzz_check.h"
#include "app/texts.h"
#include "uninstall/leftover_name.h"
#include "util/message.h"

#include <stdint.h>
#include <string.h>

static std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    std::string name((const char*)data + 1, size - 1);
    name = name.substr(0, name.find('\0'));
    LeftoverRule rule = leftoverRule(name.c_str());

    size_t dot = firstOnBoundary(name, '.');
    LeftoverRule expected = LEFTOVER_ASK;
    if (dot != std::string::npos) {
        std::string extension = lowerAscii(name.substr(dot + 1));
        if (extension == "gid")
            expected = LEFTOVER_DELETE_UNASKED;
        else if (extension == "kvd")
            expected = LEFTOVER_ASK_QSO_DATA;
    }
    CHECK(rule == expected);
    // nothing but a three-letter extension g-i-d is ever deleted unasked
    if (rule == LEFTOVER_DELETE_UNASKED)
        CHECK(name.size() >= 4 && lowerAscii(name.substr(name.size() - 4)) == ".gid");

    // the walk's paths: a folder, then the name, at most 259 bytes; the question shows the
    // whole path and the whole sentence
    std::string path = "C:\\" + std::string(data[0], 'f') + "\\" + name;
    if (path.size() > 259)
        path.resize(259);
    char* question = (char*)malloc(MESSAGE_SIZE);
    composeLeftoverQuestion(question, path.c_str(), rule);
    CHECK(strnlen(question, MESSAGE_SIZE) < MESSAGE_SIZE);
    std::string shown = path + removeFileQuestion + (rule == LEFTOVER_ASK_QSO_DATA ? qsoDataWarning : "");
    if (rule != LEFTOVER_DELETE_UNASKED)
        CHECK(shown == question);
    free(question);
    return 0;
}
