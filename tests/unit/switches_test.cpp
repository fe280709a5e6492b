// The switches of unattended runs and of the log, read from the argument text.
#include "app/state.h"
#include "entry/switches.h"

#include <gtest/gtest.h>

#include <string>

static SwitchesRead read(const std::string& text, unsigned allowed = INSTALL_SWITCHES)
{
    resetSetupState();
    return readSwitches(text.c_str(), allowed);
}

TEST(Switches, TextThatDoesNotBeginWithASwitchIsLeftToTheWizard)
{
    for (const char* text : { "", "   ", "/", "/Setup", "/SILENT", "//S", "-S", "S", "foo /S", "\"foo\" /S" }) {
        EXPECT_EQ(read(text), SWITCHES_NONE) << text;
        EXPECT_EQ(setup.unattended, 0) << text;
    }
}

TEST(Switches, EveryValueInAnyLetterCaseAndPathsWithBlanksUpToTheNextSwitch)
{
    // ソ and 表 end in the byte 0x5C; a path keeps its blanks, not the ones before the next switch
    ASSERT_EQ(read(" /s /log=C:\\My Logs\\a.log /MENU=0  /D=C:\\Program Files\\\x83\x5C\x95\x5C \t /desktop=1 /Launch=0 "),
              SWITCHES_READ);
    EXPECT_EQ(setup.unattended, 1);
    EXPECT_STREQ(setup.logPath, "C:\\My Logs\\a.log");
    EXPECT_EQ(setup.optionsGiven, OPTION_START_MENU | OPTION_DESKTOP);
    EXPECT_EQ(setup.optionsOn, OPTION_DESKTOP);
    EXPECT_EQ(setup.noLaunch, 1);
    EXPECT_STREQ(setup.switchDestination, "C:\\Program Files\\\x83\x5C\x95\x5C");
    EXPECT_EQ(setup.deleteAll, 0);

    // what a removal's copy is started with; a word may stand in quotes as a whole, as tools
    // quote an argument with blanks
    ASSERT_EQ(read("\"/S\" /DELETEALL \"/LOG=C:\\a b\\l.log\" \"/X=C:\\Korval dir\\SETUP.EXE\""), SWITCHES_READ);
    EXPECT_EQ(setup.deleteAll, 1);
    EXPECT_STREQ(setup.logPath, "C:\\a b\\l.log");
    EXPECT_STREQ(setup.removalPath, "C:\\Korval dir\\SETUP.EXE");
    EXPECT_EQ(setup.optionsGiven, 0);

    // without /S the switches only set what the wizard proposes and logs
    ASSERT_EQ(read("/LOG=\"l.log\" /D=\"C:\\K\""), SWITCHES_READ);
    EXPECT_EQ(setup.unattended, 0);
    EXPECT_STREQ(setup.switchDestination, "C:\\K");
}

TEST(Switches, AMalformedOrMisplacedSwitchMakesTheLineBad)
{
    const std::string path259 = "C:\\" + std::string(256, 'a');
    EXPECT_EQ(read("/S /D=" + path259), SWITCHES_READ);
    const char* bad[] = { "/S /X", "/S foo", "/S /S/", "/S\"", "/MENU=2", "/MENU=", "/MENU=1x", "/LOG=", "/LOG=\"\"",
                          "/LOG=\"C:\\a", "/LOG=\"a\"b", "/D=", "/D=  ", "\"/S", "\"/D=C:\\a\"b" };
    for (const char* text : bad)
        EXPECT_EQ(read(text), SWITCHES_BAD) << text;
    EXPECT_EQ(read("/S /D=" + path259 + "a"), SWITCHES_BAD);
    EXPECT_EQ(read("/S /LOG=\"" + path259 + "a\""), SWITCHES_BAD);
    // a removal takes only its own switches
    EXPECT_EQ(read("/S /DELETEALL /LOG=a.log", REMOVAL_SWITCHES), SWITCHES_READ);
    for (const char* text : { "/S /D=C:\\K", "/S /MENU=0", "/S /X=C:\\K\\SETUP.EXE" })
        EXPECT_EQ(read(text, REMOVAL_SWITCHES), SWITCHES_BAD) << text;
    // /CLOSE waits 30 s for the product, /CLOSE=n n seconds (1 to 3600)
    ASSERT_EQ(read("/S /CLOSE", REMOVAL_SWITCHES), SWITCHES_READ);
    EXPECT_EQ(setup.closeProduct, 30);
    ASSERT_EQ(read("/S /close=5"), SWITCHES_READ);
    EXPECT_EQ(setup.closeProduct, 5);
    for (const char* text : { "/S /CLOSE=", "/S /CLOSE=0", "/S /CLOSE=3601", "/S /CLOSE=5x", "/S /CLOSEX" })
        EXPECT_EQ(read(text), SWITCHES_BAD) << text;
    // /X= only in the line a removal starts its copy with: with /S, beside no install switch
    for (const char* text : { "/X=C:\\K\\S.EXE", "/LOG=a.log /X=C:\\K\\S.EXE", "/S /D=C:\\K /X=C:\\K\\S.EXE",
                              "/S /X=C:\\K\\S.EXE /LAUNCH=0", "/S /MENU=1 /X=C:\\K\\S.EXE" })
        EXPECT_EQ(read(text), SWITCHES_BAD) << text;
}
