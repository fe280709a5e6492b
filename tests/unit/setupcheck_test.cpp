// The manifest checker's rules on manifests held in memory: what the vendor is told, and
// on which line. The folder cases (tests/setupcheck) run the built checker itself.
#include "check_manifest.h"

#include <gtest/gtest.h>

#include <string>

// Runs the checker over a manifest whose text reads as written (no decoding involved),
// beside a program SETUP.EXE and the given existing sources.
static std::vector<Finding> check(const std::string& manifest, std::vector<std::string> sources = {},
                                  std::vector<std::string> programs = { "SETUP.EXE" })
{
    CheckInput input;
    input.bytes = input.text = manifest;
    input.manifestName = "SETUP.inf";
    input.programNames = programs;
    input.sourceExists = [sources](const std::string& name) {
        for (const std::string& s : sources)
            if (s == name)
                return true;
        return false;
    };
    return checkManifest(input);
}

// The findings as "line: error|warning: text" lines, to compare in one assertion.
static std::string listed(const std::vector<Finding>& findings)
{
    std::string text;
    for (const Finding& f : findings)
        text += std::to_string(f.line) + (f.error ? ": error: " : ": warning: ") + f.text + "\n";
    return text;
}

TEST(SetupCheck, AnEmptyValueEndsTheInstallListAndLaterEntriesAreReported)
{
    std::string out = listed(check("[Install]\r\n1=a.exe\r\n2=\r\n3=b.exe\r\n", { "a.exe", "b.exe" }));
    EXPECT_EQ(out, "3: warning: entry 2 of [Install] is empty: the list of install entries ends here\n"
                   "4: warning: entry 3 of [Install] is never read: the list ends at entry 2 (empty)\n");
}

TEST(SetupCheck, FinishStartsTheFolderWithoutEntryOneOrWithADeletion)
{
    EXPECT_EQ(listed(check("[Install]\r\n")),
              "1: warning: no install entry 1: Finish starts the destination folder itself with -Inst\n");
    EXPECT_EQ(listed(check("[Install]\r\n1=,old.dat\r\n")),
              "2: warning: entry 1 is a deletion: Finish starts the destination folder itself with -Inst\n");
    // the same name in another case is the same file on Windows
    EXPECT_EQ(listed(check("[Install]\r\n1=Main.exe,MAIN.EXE\r\n", { "Main.exe" })), "");
}

TEST(SetupCheck, GroupValuesThatEndTheGroupList)
{
    std::string head = "[Install]\r\n1=a.exe\r\n[Group]\r\n";
    EXPECT_EQ(listed(check(head + "1=,a.exe\r\n2=B,a.exe\r\n", { "a.exe" })),
              "4: warning: group entry 1 has an empty link name: it is no entry, and the group list ends here\n"
              "5: warning: entry 2 of [Group] is never read: the list ends at entry 1 (empty link name)\n");
    // the program and its manifest are installed too, but not another program beside them;
    // arguments are not part of the target
    EXPECT_EQ(listed(check(head + "1=Remove,setup.exe,/r\r\n2=List,SETUP.inf\r\n3=Other,other.exe\r\n", { "a.exe" },
                           { "SETUP.EXE", "other.exe" })),
              "6: warning: group target \"other.exe\" is not installed by any install entry: its shortcut is not made\n");
}

TEST(SetupCheck, AGroupTargetTooLongLosesItsShortcutAndTheNextEntryIsStillChecked)
{
    std::string value = "A," + std::string(250, 'x');    // C:\Korval\ (10) + 250 = 260
    EXPECT_EQ(listed(check("[Install]\r\n1=a.exe\r\n[Group]\r\n1=" + value + "\r\n2=B,b.exe\r\n", { "a.exe" })),
              "4: warning: group target path is longer than 259 bytes under the default destination: the program "
              "makes no shortcut for this entry (nor the desktop's) and goes on with the next\n"
              "5: warning: group target \"b.exe\" is not installed by any install entry: its shortcut is not made\n");
}

TEST(SetupCheck, LimitsAt259BytesAndCopyModesEntry199)
{
    std::string exact = std::string(249, 'd');      // C:\Korval\ (10) + 249 = 259
    EXPECT_EQ(listed(check("[Install]\r\n1=a.exe\r\n2=," + exact + "\r\n", { "a.exe" })), "");
    std::string many = "[Install]\r\n";
    for (int i = 1; i <= 200; ++i)
        many += std::to_string(i) + "=f.dat\r\n";
    EXPECT_EQ(listed(check(many, { "f.dat" })),
              "201: warning: entries from 200 on are not copied in copy mode, which copies entries 1 to 199\n");
}

TEST(SetupCheck, ShiftJisIsJudgedByTheBytes)
{
    CheckInput input;
    input.manifestName = "SETUP.inf";
    std::vector<Finding> findings;
    input.bytes = "\xEF\xBB\xBF[Install]\r\n";
    checkEncoding(input, &findings);
    input.bytes = "\xFF\xFE[\0I\0";
    checkEncoding(input, &findings);
    // 0x5C and 0x5D trail bytes are fine; a lead byte before a line end is not
    input.bytes = "[Install]\r\n1=\x83\x5C\x83\x5D\r\n2=x\x83\r\n3=\x81";
    checkEncoding(input, &findings);
    // well-formed, but undefined in code page 932: the program reads another text
    input.bytes = input.text = "[Install]\r\n1=\x85\x40.txt\r\n";
    input.text = "[Install]\r\n1=\x81\x45.txt\r\n";
    checkEncoding(input, &findings);
    EXPECT_EQ(listed(findings),
              "1: error: the file begins with a UTF-8 byte-order mark: the manifest must be Shift_JIS text, which "
              "the program reads in the system code page\n"
              "1: error: the file is UTF-16 text: the manifest must be Shift_JIS text, which the program reads in "
              "the system code page\n"
              "3: error: bytes 0x83 0x0D are not a Shift_JIS character: the line end is read as part of it, which "
              "joins the next line to this one\n"
              "4: error: the file ends inside a double-byte character (0x81)\n"
              "2: warning: this line reads in code page 932 as \"1=\x81\x45.txt\", not as written\n");
}

TEST(SetupCheck, TheNamedProgramFileMustReadThisManifest)
{
    std::string manifest = "[Install]\r\n1=a.exe\r\n";
    EXPECT_EQ(listed(check(manifest, { "a.exe" }, { "setup.exe" })), "");     // case does not matter
    CheckInput input;
    input.bytes = input.text = manifest;
    input.manifestName = "SETUP.inf";
    input.sourceExists = [](const std::string&) { return true; };
    input.programGiven = true;
    input.programNames = { "INSTALL.EXE" };
    EXPECT_EQ(listed(checkManifest(input)), "0: error: program file \"INSTALL.EXE\" reads \"INSTALL.inf\", not \"SETUP.inf\"\n");
    std::string longName = std::string(48, 'S') + ".EXE";                 // 52 bytes
    input.manifestName = std::string(48, 'S') + ".inf";
    input.programNames = { longName };
    EXPECT_EQ(listed(checkManifest(input)), "0: error: program file name \"" + longName
                                                + "\" is 52 bytes; the program does nothing under a name longer than 51 bytes\n");
}
