// What the uninstall's folder walk does with a file the manifest does not name, told by
// the file's name alone. Pure: the program, the host tests and the fuzzer share it.
#pragma once

enum LeftoverRule { LEFTOVER_DELETE_UNASKED, LEFTOVER_ASK, LEFTOVER_ASK_QSO_DATA };

// The extension is the text after the first "." of the name (on a character boundary):
// "gid" in any case is deleted without a question, "kvd" in any case is asked about with
// the QSO data warning, everything else is asked about.
LeftoverRule leftoverRule(const char* name);

// The question about the file at path (MESSAGE_SIZE bytes): path, the question sentence,
// and under LEFTOVER_ASK_QSO_DATA the warning.
void composeLeftoverQuestion(char* question, const char* path, LeftoverRule rule);
