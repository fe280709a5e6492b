// Parsing of manifest entries and of the stored uninstall command: the pure rules.
#include "app/state.h"
#include "manifest/entry_rules.h"
#include "manifest/destination.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

struct InstallCase {
    const char* value;
    const char* entryValue;
    const char* entryTarget;
    const char* tail;
};

TEST(SplitInstallEntry, WorkedExamples)
{
    const InstallCase cases[] = {
        { "main.exe", "main.exe", "C:\\Korval\\main.exe", "main.exe" },
        { "doc\\readme.txt", "doc\\readme.txt", "C:\\Korval\\doc\\readme.txt", "doc\\readme.txt" },
        { "readme.new,doc\\readme.txt", "readme.new", "C:\\Korval\\doc\\readme.txt", "doc\\readme.txt" },
        { ",old.dll", "", "C:\\Korval\\old.dll", "old.dll" },
        { "main.exe,", "main.exe", "C:\\Korval\\", "" },
        { "a,b,c", "a", "C:\\Korval\\b,c", "b,c" },
        { ",", "", "C:\\Korval\\", "" },
        // the comma is searched double-byte aware: 0x81 0x2C is one character
        { "\x81,x,y", "\x81,x", "C:\\Korval\\y", "y" },
    };
    for (const InstallCase& c : cases) {
        resetSetupState();
        strcpy(setup.destDir, "C:\\Korval\\");
        strcpy(setup.entryValue, c.value);
        splitInstallEntry(true);
        EXPECT_STREQ(setup.entryValue, c.entryValue) << c.value;
        EXPECT_STREQ(setup.entryTarget, c.entryTarget) << c.value;
        EXPECT_STREQ(setup.targetTail, c.tail) << c.value;
        EXPECT_EQ(setup.targetTail, setup.entryTarget + strlen("C:\\Korval\\")) << c.value;
    }
}

TEST(SplitInstallEntry, TargetThatDoesNotFitNamesNothing)
{
    resetSetupState();
    std::string dest = "C:\\" + std::string(240, 'd') + "\\";          // 244 bytes
    strcpy(setup.destDir, dest.c_str());
    std::string value = "src.dat," + std::string(16, 'n');               // target 260 bytes
    strcpy(setup.entryValue, value.c_str());
    splitInstallEntry(true);
    EXPECT_STREQ(setup.entryTarget, "");
    EXPECT_EQ(setup.targetTail, setup.entryTarget);
    value = "src.dat," + std::string(15, 'n');                           // target 259 bytes: fits
    strcpy(setup.entryValue, value.c_str());
    splitInstallEntry(true);
    EXPECT_EQ(strlen(setup.entryTarget), 259u);
    // a value that was too long to read names nothing either
    strcpy(setup.entryValue, "");
    splitInstallEntry(false);
    EXPECT_STREQ(setup.entryTarget, "");
}

struct GroupCase {
    const char* value;
    const char* entryValue;
    const char* entryTarget;    // null: unchanged
};

TEST(SplitGroupEntry, WorkedExamples)
{
    const GroupCase cases[] = {
        { "Main program,main.exe", "Main program", "C:\\Korval\\main.exe" },
        { "Read me,doc\\readme.txt", "Read me", "C:\\Korval\\doc\\readme.txt" },
        { "Tool,tool.exe,-q", "Tool", "C:\\Korval\\tool.exe,-q" },
        { "main.exe", "", nullptr },
        { ",main.exe", "", "C:\\Korval\\main.exe" },
        { "", "", nullptr },
    };
    for (const GroupCase& c : cases) {
        resetSetupState();
        strcpy(setup.destDir, "C:\\Korval\\");
        strcpy(setup.entryTarget, "previous");
        strcpy(setup.entryValue, c.value);
        splitGroupEntry(true);
        EXPECT_STREQ(setup.entryValue, c.entryValue) << c.value;
        EXPECT_STREQ(setup.entryTarget, c.entryTarget ? c.entryTarget : "previous") << c.value;
    }
}

TEST(SplitGroupEntry, TargetThatDoesNotFitIsNoEntry)
{
    resetSetupState();
    std::string dest = "C:\\" + std::string(250, 'd') + "\\";
    strcpy(setup.destDir, dest.c_str());
    strcpy(setup.entryTarget, "previous");
    strcpy(setup.entryValue, "Link,a-target-name.exe");
    splitGroupEntry(true);
    EXPECT_STREQ(setup.entryValue, "");
    EXPECT_STREQ(setup.entryTarget, "previous");
}

struct CommandCase {
    const char* value;
    bool folderTaken;
    const char* folder;
    int options;
};

TEST(ParseUninstallCommand, WorkedExamples)
{
    const CommandCase cases[] = {
        { "C:\\Korval\\SETUP.EXE /r14", true, "C:\\Korval\\", 14 },
        { "\"D:\\Tools\\Korval\\SETUP.EXE\" /6", true, "D:\\Tools\\Korval\\", 6 },
        { "C:\\Korval\\SETUP.EXE /1", true, "C:\\Korval\\", 46 },
        { "C:\\Korval\\SETUP.EXE /0", true, "C:\\Korval\\", 46 },
        { "C:\\Korval\\SETUP.EXE /8", true, "C:\\Korval\\", 8 },
        { "C:\\Korval\\SETUP.EXE /r", true, "C:\\Korval\\", 46 },
        { "C:\\Korval\\SETUP.EXE", true, "C:\\Korval\\SETUP.EXE", 46 },
        { "C:\\Program Files\\Korval\\SETUP.EXE /12", true, "C:\\", 12 },
        { "\"C:\\Program Files\\Korval\\SETUP.EXE\" /12", true, "C:\\Program Files\\Korval\\", 12 },
        // the slash is found anywhere, even inside the path
        { "C:/K10\\SETUP.EXE", true, "C:/K10\\SETUP.EXE", 10 },
        // wrapping past 2^31 gives a negative number, and so 46
        { "C:\\K\\S.EXE /2147483648", true, "C:\\K\\", 46 },
        // no backslash before the terminator: no folder can be taken
        { "SETUP.EXE /6", false, nullptr, 6 },
        { "\"SETUP.EXE\"", false, nullptr, 46 },
        { "", false, nullptr, 46 },
        // the backward walk compares bytes: ソ's trail byte stops it
        { "C:\\\x83\x5CS.EXE /6", true, "C:\\\x83\\", 6 },
    };
    for (const CommandCase& c : cases) {
        resetSetupState();
        char value[PATH_SIZE];
        strcpy(value, c.value);
        int options = 46;
        EXPECT_EQ(parseUninstallCommand(value, &options), c.folderTaken) << c.value;
        if (c.folder)
            EXPECT_STREQ(value, c.folder) << c.value;
        EXPECT_EQ(options, c.options) << c.value;
    }
}

TEST(DefaultDestination, DriveOfTheWindowsDirectory)
{
    resetSetupState();
    setDefaultDestination("D:\\WINDOWS");
    EXPECT_STREQ(setup.destDir, "D:\\Korval\\");
    setDefaultDestination("\\\\server\\windows");
    EXPECT_STREQ(setup.destDir, "C:\\Korval\\");
    setDefaultDestination("");
    EXPECT_STREQ(setup.destDir, "C:\\Korval\\");
}
