// The argument text cut out of the command line, the mode, and the derived paths.
#include "app/state.h"
#include "entry/arguments.h"

#include <gtest/gtest.h>

#include <string>

TEST(ArgumentText, ProgramNameAndBlanksAreCut)
{
    EXPECT_STREQ(argumentText("SETUP.EXE"), "");
    EXPECT_STREQ(argumentText("SETUP.EXE   "), "");
    EXPECT_STREQ(argumentText("SETUP.EXE /r"), "/r");
    EXPECT_STREQ(argumentText("SETUP.EXE\t\x01 x C:\\a b\\SETUP.EXE"), "x C:\\a b\\SETUP.EXE");
    EXPECT_STREQ(argumentText("\"C:\\My Setup\\SETUP.EXE\" x  \"q\""), "x  \"q\"");
    EXPECT_STREQ(argumentText("\"C:\\no end"), "");
    EXPECT_STREQ(argumentText(""), "");
}

TEST(ArgumentText, QuoteAfterALeadByteDoesNotEndTheName)
{
    // 0x81 0x22 is one character: the quote that ends the name comes later
    EXPECT_STREQ(argumentText("\"C:\\\x81\"x\\S.EXE\" r"), "r");
    // a lead byte just before the terminator ends the walk there
    EXPECT_STREQ(argumentText("\"ab\x81"), "");
}

TEST(SelectMode, FirstCharacterAfterOneOptionalSlash)
{
    const char* rest;
    EXPECT_EQ(selectMode("", &rest), MODE_WIZARD);
    EXPECT_EQ(selectMode("/", &rest), MODE_WIZARD);
    EXPECT_EQ(selectMode("r", &rest), MODE_RELAUNCH);
    EXPECT_EQ(selectMode("Rfoo", &rest), MODE_RELAUNCH);
    EXPECT_EQ(selectMode("/r", &rest), MODE_RELAUNCH);
    EXPECT_EQ(selectMode("X C:\\a\\S.EXE", &rest), MODE_WIZARD);
    EXPECT_EQ(selectMode("C x", &rest), MODE_WIZARD);
    EXPECT_EQ(selectMode("//x C:\\a\\S.EXE", &rest), MODE_WIZARD);
    EXPECT_EQ(selectMode("/x C:\\a b\\S.EXE", &rest), MODE_UNINSTALL);
    EXPECT_STREQ(rest, "C:\\a b\\S.EXE");
    EXPECT_EQ(selectMode("c Tool/t.exe/D:\\C", &rest), MODE_COPY);
    EXPECT_STREQ(rest, "Tool/t.exe/D:\\C");
}

TEST(RemovalSwitchesText, OnlyTheUninstallKeysWordCarriesSwitches)
{
    // r or R, one optional slash, digits only: what follows is read for removal switches
    EXPECT_STREQ(removalSwitchesText("/r6 /S"), " /S");
    EXPECT_STREQ(removalSwitchesText("R12\t/S"), "\t/S");
    EXPECT_STREQ(removalSwitchesText("r"), "");
    // any other word keeps its older meaning: the prompt, and the rest of the line unread
    for (const char* word : { "/RUN /S", "/repair /S", "r6x /S", "//r /S", "/r-6 /S", "x /S", "/r\"6\" /S" })
        EXPECT_EQ(removalSwitchesText(word), nullptr) << word;
}

TEST(SelectMode, ExactlyOneLetterLeavesAnEmptyRest)
{
    const char* rest = nullptr;
    EXPECT_EQ(selectMode("c", &rest), MODE_COPY);
    EXPECT_STREQ(rest, "");
    EXPECT_EQ(selectMode("/x", &rest), MODE_UNINSTALL);
    EXPECT_STREQ(rest, "");
}

struct Derivation {
    const char* origin;
    const char* baseDir;
    const char* exeName;
    const char* manifestName;
    const char* manifestPath;
};

TEST(DeriveOriginPaths, WorkedExamples)
{
    const Derivation cases[] = {
        { "C:\\Setup\\SETUP.EXE", "C:\\Setup\\", "SETUP.EXE", "SETUP.inf", "C:\\Setup\\SETUP.inf" },
        { "C:\\Setup\\setup.exe", "C:\\Setup\\", "setup.exe", "setup.inf", "C:\\Setup\\setup.inf" },
        { "C:\\Korval\\SETUP.EXE", "C:\\Korval\\", "SETUP.EXE", "SETUP.inf", "C:\\Korval\\SETUP.inf" },
        { "D:\\Disk1\\INSTALL", "D:\\Disk1\\", "INSTALL", "INSTinf", "D:\\Disk1\\INSTinf" },
        // the backward search compares single bytes: ソ's trail byte ends the folder part
        { "C:\\a\\\x83\x5CS.EXE", "C:\\a\\\x83\\", "S.EXE", "S.inf", "C:\\a\\\x83\\S.inf" },
        // one or two bytes of name: "inf" as a whole
        { "C:\\a\\AB", "C:\\a\\", "AB", "inf", "C:\\a\\inf" },
    };
    for (const Derivation& c : cases) {
        resetSetupState();
        ASSERT_TRUE(deriveOriginPaths(c.origin)) << c.origin;
        EXPECT_STREQ(setup.baseDir, c.baseDir);
        EXPECT_STREQ(setup.exeName, c.exeName);
        EXPECT_STREQ(setup.manifestName, c.manifestName);
        EXPECT_STREQ(setup.manifestPath, c.manifestPath);
    }
}

TEST(DeriveOriginPaths, RefusesTextThatNamesNoProgram)
{
    const char* refused[] = { "", "SETUP.EXE", "C:\\Korval\\", "\"q\"" };
    for (const char* origin : refused) {
        resetSetupState();
        EXPECT_FALSE(deriveOriginPaths(origin)) << origin;
        EXPECT_STREQ(setup.baseDir, "");
        EXPECT_STREQ(setup.manifestPath, "");
    }
}

TEST(DeriveOriginPaths, FileNameLongerThanItsFieldIsRefused)
{
    resetSetupState();
    std::string fits = "C:\\a\\" + std::string(47, 'n') + ".EXE";     // 51 bytes of name
    EXPECT_TRUE(deriveOriginPaths(fits.c_str()));
    EXPECT_EQ(std::string(setup.manifestName), std::string(47, 'n') + ".inf");
    std::string tooLong = "C:\\a\\" + std::string(48, 'n') + ".EXE";  // 52 bytes
    EXPECT_FALSE(deriveOriginPaths(tooLong.c_str()));
    EXPECT_STREQ(setup.exeName, "");
}

TEST(DeriveOriginPaths, OriginLongerThanAPathIsRefused)
{
    resetSetupState();
    std::string path = "C:\\" + std::string(250, 'd') + "\\SETUP.EXE";   // 264 bytes
    EXPECT_FALSE(deriveOriginPaths(path.c_str()));
    // a 259-byte path whose manifest name grows past 259 bytes
    std::string grows = "C:\\" + std::string(253, 'd') + "\\AB";        // 259 bytes, "inf" is 260
    EXPECT_FALSE(deriveOriginPaths(grows.c_str()));
}
