// The sections and keys asked of every file of the INI corpus (tests/ini_corpus) when the
// platform's profile reader and ours are compared, and the manifests whose entries the
// program and the checker must read alike.
#pragma once

static const char* const iniCorpusSections[] = {
    "Install", "Group", "install", "GROUP", " Install ", "Other", "Extra", "Extra]", "\x83\x5D", "Missing",
};

static const char* const iniCorpusKeys[] = {
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", " 1 ", "01", "+1", "A", "a", "[Other", ";4",
};

static const char* const iniCorpusFiles[] = {
    "before_section.ini", "bom_utf8.ini", "case_repeats.ini", "comments_blanks.ini", "invalid_dbcs.ini",
    "line_ends.ini", "long_values.ini", "nul_eof.ini", "numbering.ini", "quotes.ini", "sjis_5c.ini", "utf16.ini",
};

// The checker's distribution folders' manifests, relative to the corpus folder: their
// entries, and those of the corpus, must read alike in the program and the checker.
static const char* const checkerCaseManifests[] = { "../setupcheck/broken/SETUP.inf", "../setupcheck/clean/SETUP.inf" };
