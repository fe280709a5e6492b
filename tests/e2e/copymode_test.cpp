// Copy mode from outside: SETUP.EXE started with "c link/target/folder" beside its
// manifest, checked by the files it leaves and the desktop shortcut lnkinfo reads.
#include "lnk_check.h"
#include "scratch.h"
#include "setup_run.h"
#include "windows_seen.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

#include <vector>

static std::string desktopFolder()
{
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Desktop",
                 RRF_RT_REG_SZ, nullptr, value, &size);
    return std::string(value) + "\\";
}

// The desktop shortcut of a link name, gone before the run and removed again after it.
struct DesktopLink {
    std::string path;
    explicit DesktopLink(const std::string& name) : path(desktopFolder() + name + ".lnk") { DeleteFileA(path.c_str()); }
    ~DesktopLink() { DeleteFileA(path.c_str()); }
};

// Starts the staged SETUP.EXE with "c " + text; copy mode ends by itself, exit value 1,
// without showing any window.
static ::testing::AssertionResult runCopyMode(const std::string& programFolder, const std::string& text,
                                              const std::string& currentDir = "")
{
    SetupProcess process;
    if (!startSetup(process, programFolder + "SETUP.EXE", "c " + text,
                    currentDir.empty() ? programFolder : currentDir))
        return ::testing::AssertionFailure() << "SETUP.EXE did not start";
    DialogWatcher watcher(nullptr, process.pid());
    DWORD code = process.wait();
    if (code != 1)
        return ::testing::AssertionFailure() << "exit value " << (long)code;
    if (!watcher.seen().empty())
        return ::testing::AssertionFailure() << "a window appeared: " << watcher.seen()[0].caption;
    return ::testing::AssertionSuccess();
}

static std::string manifest(const std::vector<std::string>& values)
{
    std::string text = "[Install]\r\n";
    for (size_t i = 0; i < values.size(); ++i)
        text += std::to_string(i + 1) + "=" + values[i] + "\r\n";
    return text;
}

TEST(CopyMode, OneSeparatorOnlyDoesNothing)
{
    std::string program = stageSetup("copy-one-slash", manifest({ "tool.exe" }));
    writeFile(program + "tool.exe", "tool");
    std::string start = scratchFolder("copy-one-slash-start");
    DesktopLink link("CopyOneSlash");
    ASSERT_TRUE(runCopyMode(program, "CopyOneSlash/tool.exe", start));
    EXPECT_TRUE(namesInFolder(start).empty());
    EXPECT_EQ(namesInFolder(program), (std::vector<std::string> { "SETUP.EXE", "SETUP.inf", "tool.exe" }));
    EXPECT_FALSE(fileExists(link.path));
}

TEST(CopyMode, CopiesDestinationNamesFromTheProgramFolderAndLinksTheTarget)
{
    std::string program = stageSetup("copy-example", manifest({ "tool.exe", "src\\a.dat,data\\a.dat" }));
    writeFile(program + "tool.exe", "tool");
    CreateDirectoryA((program + "src").c_str(), nullptr);
    CreateDirectoryA((program + "data").c_str(), nullptr);
    writeFile(program + "src\\a.dat", "source name");
    writeFile(program + "data\\a.dat", "destination name");
    std::string copy = scratchFolder("copy-example-dest") + "Copy";
    DesktopLink link("CopyExampleTool");

    ASSERT_TRUE(runCopyMode(program, "CopyExampleTool/tool.exe/" + copy));
    EXPECT_EQ(readFile(copy + "\\tool.exe"), "tool");
    EXPECT_EQ(readFile(copy + "\\data\\a.dat"), "destination name");
    // neither the program nor its manifest is part of the copy
    EXPECT_EQ(namesInFolder(copy + "\\"), (std::vector<std::string> { "data", "tool.exe" }));
    ASSERT_TRUE(fileExists(link.path));
    LinkContents contents = readLinkWithLnkinfo(link.path);
    ASSERT_TRUE(contents.read) << contents.report;
    EXPECT_EQ(contents.target, copy + "\\tool.exe") << contents.report;
    EXPECT_EQ(contents.workingDirectory, copy) << contents.report;
    EXPECT_EQ(contents.arguments, "") << contents.report;
}

TEST(CopyMode, FolderWithTrailingBackslashAndTargetWithArguments)
{
    std::string program = stageSetup("copy-backslash", manifest({ "tool.exe" }));
    writeFile(program + "tool.exe", "tool");
    std::string copy = scratchFolder("copy-backslash-dest") + "Copy\\";
    DesktopLink link("CopyBackslash");

    ASSERT_TRUE(runCopyMode(program, "CopyBackslash/tool.exe,-q/" + copy));
    EXPECT_EQ(readFile(copy + "tool.exe"), "tool");
    LinkContents contents = readLinkWithLnkinfo(link.path);
    ASSERT_TRUE(contents.read) << contents.report;
    EXPECT_EQ(contents.target, copy + "tool.exe") << contents.report;     // no doubled backslash
    EXPECT_EQ(contents.arguments, "-q") << contents.report;
    EXPECT_EQ(contents.workingDirectory, copy) << contents.report;
}

TEST(CopyMode, OnlyValuesWithACommaGetTheirFirstFolderLevel)
{
    std::string program = stageSetup("copy-levels", manifest({ "x\\y\\z.dat", ",p\\q\\r.dat", ",m\\n.dat", ",old.dll" }));
    for (const char* folder : { "x", "x\\y", "p", "p\\q", "m" })
        CreateDirectoryA((program + folder).c_str(), nullptr);
    writeFile(program + "x\\y\\z.dat", "z");
    writeFile(program + "p\\q\\r.dat", "r");
    writeFile(program + "m\\n.dat", "n");
    writeFile(program + "old.dll", "old");

    std::string copy = scratchFolder("copy-levels-dest");
    ASSERT_TRUE(runCopyMode(program, "CopyLevels/none/" + copy));
    // without a comma no folder is made; with one only the first level
    EXPECT_EQ(namesInFolder(copy), (std::vector<std::string> { "m", "old.dll", "p" }));
    EXPECT_TRUE(namesInFolder(copy + "p\\").empty());
    EXPECT_EQ(readFile(copy + "m\\n.dat"), "n");
    // a value that deletes in the wizard is copied here like any other
    EXPECT_EQ(readFile(copy + "old.dll"), "old");

    // into folders that already exist every value is copied
    std::string ready = scratchFolder("copy-levels-ready");
    for (const char* folder : { "x", "x\\y", "p", "p\\q" })
        CreateDirectoryA((ready + folder).c_str(), nullptr);
    ASSERT_TRUE(runCopyMode(program, "CopyLevels/none/" + ready));
    EXPECT_EQ(readFile(ready + "x\\y\\z.dat"), "z");
    EXPECT_EQ(readFile(ready + "p\\q\\r.dat"), "r");
}

TEST(CopyMode, CopiesOnlyTheFirst199Entries)
{
    std::vector<std::string> values;
    for (int i = 1; i <= 201; ++i)
        values.push_back("f" + std::to_string(i) + ".dat");
    std::string program = stageSetup("copy-limit", manifest(values));
    for (const std::string& value : values)
        writeFile(program + value, value);
    std::string copy = scratchFolder("copy-limit-dest");

    ASSERT_TRUE(runCopyMode(program, "CopyLimit/none/" + copy));
    EXPECT_EQ(namesInFolder(copy).size(), 199u);
    EXPECT_EQ(readFile(copy + "f199.dat"), "f199.dat");
    EXPECT_FALSE(fileExists(copy + "f200.dat"));
}

TEST(CopyMode, DestinationWhoseParentIsMissingGetsNothingAnywhere)
{
    std::string program = stageSetup("copy-no-parent", manifest({ "tool.exe", ",data\\a.dat" }));
    writeFile(program + "tool.exe", "tool");
    CreateDirectoryA((program + "data").c_str(), nullptr);
    writeFile(program + "data\\a.dat", "a");
    std::string start = scratchFolder("copy-no-parent-start");
    std::string base = scratchFolder("copy-no-parent-dest");
    DesktopLink link("CopyNoParent");

    ASSERT_TRUE(runCopyMode(program, "CopyNoParent/tool.exe/" + base + "missing\\Copy", start));
    EXPECT_TRUE(namesInFolder(base).empty());
    // the folder level of ",data\a.dat" lands neither where the program was started nor beside it
    EXPECT_TRUE(namesInFolder(start).empty());
    EXPECT_EQ(namesInFolder(program), (std::vector<std::string> { "SETUP.EXE", "SETUP.inf", "data", "tool.exe" }));
    EXPECT_FALSE(fileExists(link.path));
}

TEST(CopyMode, CommaInTheFolderNameSplitsTheShortcutTarget)
{
    std::string program = stageSetup("copy-comma", manifest({ "tool.exe" }));
    writeFile(program + "tool.exe", "tool");
    std::string base = scratchFolder("copy-comma-dest");
    std::string copy = base + "a,b";
    DesktopLink link("CopyComma");

    // the shortcut's path is the text before the comma: no file there, no shortcut
    ASSERT_TRUE(runCopyMode(program, "CopyComma/tool.exe/" + copy));
    EXPECT_EQ(readFile(copy + "\\tool.exe"), "tool");
    EXPECT_FALSE(fileExists(link.path));

    // with a file of that shorter name the shortcut points at it, the rest as arguments
    writeFile(base + "a", "not the tool");
    ASSERT_TRUE(runCopyMode(program, "CopyComma/tool.exe/" + copy));
    ASSERT_TRUE(fileExists(link.path));
    LinkContents contents = readLinkWithLnkinfo(link.path);
    ASSERT_TRUE(contents.read) << contents.report;
    EXPECT_EQ(contents.target, base + "a") << contents.report;
    EXPECT_EQ(contents.arguments, "b\\tool.exe") << contents.report;
    EXPECT_EQ(contents.workingDirectory, copy) << contents.report;
}

// ソ is 83 5C: its trail byte has the value of a backslash.
TEST(CopyMode, TrailByte5CInLinkNameAndFolderIsNoSeparator)
{
    std::string so = "ソ";
    ASSERT_EQ(hexBytes(so), "83 5C");
    std::string program = stageSetup("copy-dbcs", manifest({ "tool.exe", "," + so + "\\a.dat" }));
    writeFile(program + "tool.exe", "tool");
    CreateDirectoryA((program + so).c_str(), nullptr);
    writeFile(program + so + "\\a.dat", "a");
    std::string copy = scratchFolder("copy-dbcs-dest") + "ソフト" + so;     // ends in the trail byte 5C
    DesktopLink link("ソフト");

    ASSERT_TRUE(runCopyMode(program, "ソフト/tool.exe/" + copy));
    EXPECT_EQ(readFile(copy + "\\tool.exe"), "tool");
    EXPECT_EQ(readFile(copy + "\\" + so + "\\a.dat"), "a");
    ASSERT_TRUE(fileExists(link.path));
    // lnk_check hands lnkinfo its path through an ANSI command line, which does not carry
    // a Japanese Unix path intact: lnkinfo reads a copy under an ASCII name
    std::string readable = scratchFolder("copy-dbcs-link") + "link.lnk";
    ASSERT_TRUE(CopyFileA(link.path.c_str(), readable.c_str(), FALSE));
    LinkContents contents = readLinkWithLnkinfo(readable);
    ASSERT_TRUE(contents.read) << contents.report;
    EXPECT_EQ(hexBytes(contents.target), hexBytes(copy + "\\tool.exe")) << contents.report;
    EXPECT_EQ(hexBytes(contents.workingDirectory), hexBytes(copy)) << contents.report;
}

TEST(CopyMode, RelativeFolderIsTakenFromWhereTheProgramWasStarted)
{
    std::string program = stageSetup("copy-relative", manifest({ ",sub\\a.dat", "b.dat", "tool.exe" }));
    CreateDirectoryA((program + "sub").c_str(), nullptr);
    writeFile(program + "sub\\a.dat", "a");
    writeFile(program + "b.dat", "b");
    writeFile(program + "tool.exe", "tool");
    std::string start = scratchFolder("copy-relative-start");
    DesktopLink link("CopyRelative");

    // the first entry moves the current directory into the copy; the later ones still
    // go to the same folder, not to Copy\Copy
    ASSERT_TRUE(runCopyMode(program, "CopyRelative/tool.exe/Copy", start));
    EXPECT_EQ(namesInFolder(start + "Copy\\"), (std::vector<std::string> { "b.dat", "sub", "tool.exe" }));
    EXPECT_EQ(readFile(start + "Copy\\sub\\a.dat"), "a");
    LinkContents contents = readLinkWithLnkinfo(link.path);
    ASSERT_TRUE(contents.read) << contents.report;
    EXPECT_EQ(contents.target, start + "Copy\\tool.exe") << contents.report;
    EXPECT_EQ(contents.workingDirectory, start + "Copy") << contents.report;
}

TEST(CopyMode, ArgumentTextOver519BytesDoesNothing)
{
    std::string program = stageSetup("copy-long-text", manifest({ "tool.exe" }));
    writeFile(program + "tool.exe", "tool");
    std::string base = scratchFolder("copy-long-text-dest");
    std::string tail = "/tool.exe/" + base + "Copy";

    // 519 bytes fit: the copy is made (the shortcut's own path is then too long for one)
    ASSERT_TRUE(runCopyMode(program, std::string(519 - tail.size(), 'L') + tail));
    EXPECT_EQ(readFile(base + "Copy\\tool.exe"), "tool");

    deleteTree(base + "Copy");
    ASSERT_TRUE(runCopyMode(program, std::string(520 - tail.size(), 'L') + tail));
    EXPECT_TRUE(namesInFolder(base).empty());
}

TEST(CopyMode, DestinationFolderOver259BytesIsNotCut)
{
    std::string program = stageSetup("copy-long-folder", manifest({ "tool.exe" }));
    writeFile(program + "tool.exe", "tool");
    std::string base = scratchFolder("copy-long-folder-dest");
    std::string folder = base + std::string(260 - base.size(), 'd');
    ASSERT_EQ(folder.size(), 260u);
    DesktopLink link("CopyLongFolder");

    ASSERT_TRUE(runCopyMode(program, "CopyLongFolder/tool.exe/" + folder));
    // its first 259 bytes name another folder, which must not receive the copy
    EXPECT_TRUE(namesInFolder(base).empty());
    EXPECT_FALSE(fileExists(link.path));
}

TEST(CopyMode, PathsThatDoNotFitAreLeftOutAndTheRestIsCopied)
{
    std::string base = scratchFolder("copy-fit-dest");
    std::string copy = base + std::string(200 - base.size(), 'd') + "\\";
    ASSERT_EQ(copy.size(), 201u);
    std::string longName = std::string(60, 'n') + ".dat";       // 265 bytes in the copy
    std::string target = std::string(57, 'k');                  // 258 bytes in the copy
    std::string program =
        stageSetup("copy-fit", manifest({ "s.dat", longName, std::string(300, 'v'), "t.dat", target }));
    for (const std::string& name : { std::string("s.dat"), longName, std::string("t.dat"), target })
        writeFile(program + name, name);
    DesktopLink link("CopyFit");

    // the long name is left out, not copied under its first 259 bytes; the value over
    // 259 bytes is skipped and the entries after it are still copied
    ASSERT_TRUE(runCopyMode(program, "CopyFit/" + target + "/" + copy));
    EXPECT_EQ(namesInFolder(copy), (std::vector<std::string> { target, "s.dat", "t.dat" }));
    EXPECT_TRUE(fileExists(link.path));

    // a shortcut target that does not fit gives no shortcut, not one to its cut form
    DeleteFileA(link.path.c_str());
    writeFile(copy + target + "x", "cut form");
    ASSERT_TRUE(runCopyMode(program, "CopyFit/" + target + "xy/" + copy));
    EXPECT_FALSE(fileExists(link.path));
}

TEST(CopyMode, AFullDriveLeavesNoCutFileAndAnEarlierCopyWhole)
{
    SmallDrive drive;
    if (!drive.mounted())
        GTEST_SKIP() << "no small filesystem can be mounted here (mounting needs root)";
    // three files of 30 MiB for a drive of 50: the second and third do not fit
    std::string program = stageSetup("copy-full", manifest({ "big1.bin", "big2.bin", "big3.bin", "small.txt" }));
    for (const char* name : { "big1.bin", "big2.bin", "big3.bin" })
        writeSparseFile(program + name, 30 << 20);
    writeFile(program + "small.txt", "small");
    CreateDirectoryA("T:\\Copy", nullptr);
    writeFile("T:\\Copy\\big3.bin", "earlier copy");
    DesktopLink link("CopyFull");
    ASSERT_TRUE(runCopyMode(program, "CopyFull/small.txt/T:\\Copy"));
    EXPECT_EQ(readFile("T:\\Copy\\big1.bin").size(), 30u << 20);
    EXPECT_TRUE(readFile("T:\\Copy\\big3.bin") == "earlier copy") << fileSize("T:\\Copy\\big3.bin") << " bytes";
    EXPECT_EQ(readFile("T:\\Copy\\small.txt"), "small");
    EXPECT_EQ(namesInFolder("T:\\Copy\\"), (std::vector<std::string> { "big1.bin", "big3.bin", "small.txt" }));
}
