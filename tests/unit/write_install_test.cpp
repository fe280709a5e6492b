// The [Install] section written from a distribution folder: what is refused, what a new
// manifest holds, and what an update keeps.
#include "folder_access.h"
#include "write_install.h"

#include <gtest/gtest.h>

#include <glob.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <string>

// The lines of findings, for one comparison.
static std::string listed(const std::vector<Finding>& findings)
{
    std::string text;
    for (const Finding& f : findings)
        text += f.text + "\n";
    return text;
}

static InstallWriteResult writeFor(const std::vector<FolderFile>& files, const std::string& manifest = "",
                                   const std::string& mainProgram = "Rovenda.exe")
{
    InstallWriteInput input;
    input.manifestName = "SETUP.inf";
    input.programNames = { "SETUP.EXE" };
    input.mainProgram = mainProgram;
    input.exists = !manifest.empty();
    input.bytes = input.text = manifest;
    input.files = files;
    return writeInstallSection(input);
}

TEST(WriteInstall, AFolderOnDiskRefusesNamesItCannotInstallThenListsEveryFileOnce)
{
    char made[] = "/tmp/write-install-XXXXXX";
    std::string folder = std::string(mkdtemp(made)) + "/";
    std::string fits = "long/" + std::string(244, 'a');      // C:\Korval\ (10) + 249 = 259 bytes
    // names on Linux are UTF-8 (the source's literals are compiled to Shift_JIS)
    for (const char* sub : { "data", "data/sub", "docs", u8"docs/ソフト", "long" })
        mkdir((folder + sub).c_str(), 0755);
    for (const std::string& name : std::vector<std::string> { "Rovenda.exe", "SETUP.EXE", "data/file10.dat", "data/file2.dat",
                                                              "data/sub/deep.dat", u8"docs/ソフト/表.txt", u8"café.txt", "a,b.txt",
                                                              fits, fits + "a", "READ.ME", "Read.me", "Update.exe",
                                                              "update.inf" })
        std::ofstream(folder + name) << name;

    InstallWriteResult refused = writeFor(filesUnder(folder));
    EXPECT_EQ(listed(refused.refused),
              "\"Read.me\" names the same file on Windows as \"READ.ME\" (letter case aside): the program could not "
              "install it as named\n"
              "\"a,b.txt\" has a comma in its name, where the program splits an entry into source and destination: the "
              "program could not install it as named\n"
              "\"caf<U+00E9>.txt\" has a name that Shift_JIS (code page 932) cannot hold: the program could not "
              "install it as named\n"
              "\"long\\" + std::string(245, 'a') + "\" is 260 bytes under the default destination C:\\Korval\\; the "
              "program handles at most 259: the program could not install it as named\n"
              "\"update.inf\" is named like the manifest of \"Update.exe\" beside it, a setup program of another name: "
              "the program could not install it as named\n");

    remove((folder + u8"café.txt").c_str());
    remove((folder + "a,b.txt").c_str());
    remove((folder + fits + "a").c_str());
    remove((folder + "Read.me").c_str());
    remove((folder + "update.inf").c_str());
    InstallWriteResult written = writeFor(filesUnder(folder));
    EXPECT_EQ(listed(written.refused), "");
    EXPECT_EQ(written.bytes, "[Install]\r\n1=Rovenda.exe\r\n2=READ.ME\r\n3=Update.exe\r\n4=data\\file2.dat\r\n"
                             "5=data\\file10.dat\r\n6=data\\sub\\deep.dat\r\n"
                             "7=docs\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.txt\r\n8=long\\" + std::string(244, 'a') + "\r\n");
    EXPECT_EQ(written.entries, 8u);
    system(("rm -rf " + folder).c_str());
}

TEST(WriteInstall, AnUpdateKeepsEverythingButTheEntriesOfFilesGoneAndAddsTheNewOnes)
{
    std::string before = "; Rovenda 1.2\r\n[Install]\r\n; the program first\r\n1=Rovenda.exe\r\n"
                         "2=readme.txt,doc\\\x82\xCD\x82\xB6\x82\xDF\x82\xC9.txt\r\n3=old.dll\r\n; deletions\r\n"
                         "4=,obsolete.dat\r\n5 = data\\a.dat \r\n\r\n[Group]\r\n1=Rovenda,Rovenda.exe\r\n"
                         "2=Read me,doc\\\x82\xCD\x82\xB6\x82\xDF\x82\xC9.txt\r\n[Other]\r\nkey=value ; kept\r\n";
    std::vector<FolderFile> files = { { "Rovenda.exe", "" }, { "SETUP.EXE", "" }, { "SETUP.inf", "" },
                                      { "readme.txt", "" }, { "data\\a.dat", "" }, { "data\\b.dat", "" },
                                      { "zz.txt", "" } };
    InstallWriteResult result = writeFor(files, before);
    EXPECT_EQ(listed(result.refused), "");
    EXPECT_EQ(result.bytes, "; Rovenda 1.2\r\n[Install]\r\n; the program first\r\n1=Rovenda.exe\r\n"
                            "2=readme.txt,doc\\\x82\xCD\x82\xB6\x82\xDF\x82\xC9.txt\r\n; deletions\r\n"
                            "3=,obsolete.dat\r\n4 = data\\a.dat \r\n5=zz.txt\r\n6=data\\b.dat\r\n\r\n[Group]\r\n"
                            "1=Rovenda,Rovenda.exe\r\n2=Read me,doc\\\x82\xCD\x82\xB6\x82\xDF\x82\xC9.txt\r\n"
                            "[Other]\r\nkey=value ; kept\r\n");
    EXPECT_EQ(listed(result.changes), "dropped entry 3 \"old.dll\": its source is no longer in the folder\n"
                                      "added \"zz.txt\" as entry 5\nadded \"data\\b.dat\" as entry 6\n");
    // the main program given moves to entry 1; a line of a repeated number is dropped
    result = writeFor(files, "[Install]\r\n1=readme.txt\r\n2=Rovenda.exe\r\n1=again.txt");
    EXPECT_EQ(result.bytes, "[Install]\r\n1=Rovenda.exe\r\n2=readme.txt\r\n3=zz.txt\r\n4=data\\a.dat\r\n5=data\\b.dat\r\n");
    // a line after a gap is never read: renumbered, it would delete the user's data
    result = writeFor(files, "[Install]\r\n1=Rovenda.exe\r\n2=readme.txt\r\n4=,QSO.kvd\r\n");
    EXPECT_EQ(listed(result.refused), "entry 4 is never read: the list ends at entry 3; renumbering it would make the "
                                      "program read it, so number it into the list by hand or remove its line\n");
    // a file named like a renamed copy's destination is not added after it, which it would undo
    result = writeFor({ { "Rovenda.exe", "" }, { "readme.new", "" }, { "doc\\readme.txt", "" } },
                      "[Install]\r\n1=Rovenda.exe\r\n2=readme.new,doc\\readme.txt\r\n");
    EXPECT_EQ(result.bytes, "[Install]\r\n1=Rovenda.exe\r\n2=readme.new,doc\\readme.txt\r\n");
    // a new main program comes after the deletion of its name, not before it
    result = writeFor({ { "Rovenda.exe", "" } }, "[Install]\r\n1=,ROVENDA.EXE\r\n");
    EXPECT_EQ(result.bytes, "[Install]\r\n1=,ROVENDA.EXE\r\n2=Rovenda.exe\r\n");
    EXPECT_EQ(listed(result.changes), "\"Rovenda.exe\", the main program, is not made entry 1: entry 1 before it also "
                                      "installs or deletes \"ROVENDA.EXE\", and the two keep their order\n"
                                      "added \"Rovenda.exe\" as entry 2\n");
}

// A file's name as Windows compares it: letter case aside, either slash.
static std::string windowsName(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return lower(path);
}

// What an installation does to each target as the program reads the manifest, but to those
// in skip: its copies (by source) and deletions in entry order.
static std::map<std::string, std::string> effects(const std::string& manifest, const std::set<std::string>& skip)
{
    std::map<std::string, std::string> byTarget;
    for (const EntryReading& e : readManifestEntries(manifest).install) {
        // a value too long to read names nothing: it installs nothing
        if (!e.endsList && e.read == VALUE_READ && !skip.count(windowsName(e.rest)))
            byTarget[windowsName(e.rest)] += e.first.empty() ? " delete" : " copy " + windowsName(e.first);
    }
    return byTarget;
}

TEST(WriteInstall, AnUpdateKeepsWhatEachEntryDoesButForTheFilesTheFolderGainedOrLost)
{
    // once a deletion after a gap was made an entry, and the main program's copy moved
    // before the deletion of its name
    std::vector<std::string> manifests = { "[Install]\r\n1=Rovenda.exe,Rovenda.exe\r\n2=a.dat,a.dat\r\n4=,QSO.kvd\r\n",
                                           "[Install]\r\n1=,Rovenda.exe\r\n2=a.dat\r\n3=Rovenda.exe,Rovenda.exe\r\n" };
    glob_t found;
    glob(TESTS_DIR "/ini_corpus/*.ini", 0, nullptr, &found);
    glob(TESTS_DIR "/setupcheck/*/SETUP.inf", GLOB_APPEND, nullptr, &found);
    for (size_t i = 0; i < found.gl_pathc; ++i) {
        std::ifstream file(found.gl_pathv[i], std::ios::binary);
        manifests.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    globfree(&found);
    for (const std::string& before : manifests) {
        SCOPED_TRACE(before);
        // the folder holds each source the program could install as named, the last of them
        // the main program (else a new Rovenda.exe), and gains added.dat
        std::vector<EntryReading> entries = readManifestEntries(before).install;
        std::vector<FolderFile> files = { { "added.dat", "" } };
        std::set<std::string> held, skip = { "added.dat" };
        std::string main = "Rovenda.exe";
        for (const EntryReading& e : entries)
            if (!e.first.empty() && writeFor({ { e.first, "" } }, "", e.first).refused.empty()
                && held.insert(windowsName(e.first)).second)
                files.push_back({ main = e.first, "" });
        if (held.insert(windowsName(main)).second) {
            files.push_back({ main, "" });
            skip.insert(windowsName(main));
        }
        for (const EntryReading& e : entries)
            if (!e.first.empty() && !held.count(windowsName(e.first)))
                skip.insert(windowsName(e.rest));     // the folder lost its source
        InstallWriteResult result = writeFor(files, before, main);
        if (result.refused.empty())
            EXPECT_EQ(effects(result.text, skip), effects(before, skip));
    }
}
