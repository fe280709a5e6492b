// The destination page seen from outside: what it proposes, what Next refuses and with
// which message, what the test creation leaves, and the folder picker.
#include "scratch.h"
#include "setup_run.h"
#include "wizard_driver.h"

#include <gtest/gtest.h>

static const char caption[] = "Rovenda のインストール";
static const char driveFormText[] = "「C:\\Korval」のように、ドライブ名も含めた正しいパス名を指定してください。";
static const char folderIsFileTail[] = " - 同じ名前のファイルが既に存在するのでフォルダが作成できません。";

// Presses Next and expects a message box of the page; returns it, answered with OK.
static ::testing::AssertionResult refusedWith(WizardSession& run, const std::string& expected)
{
    if (!run.wizard.press(WIZ_NEXT))
        return ::testing::AssertionFailure() << "Next could not be pressed";
    SeenDialog box = run.wizard.waitForOtherDialog();
    if (!box.isMessageBox)
        return ::testing::AssertionFailure() << "no message box";
    box.icon = iconShown(box);
    bool answered = run.wizard.answer(box, IDOK);
    // owned by the page: a child cannot own a window, so the owner is the page's frame
    if (box.text != expected || box.caption != "Rovenda" || box.icon != "error" || box.owner != run.wizard.frame()
        || box.buttons.size() != 1 || box.buttons[0].id != IDOK || !answered)
        return ::testing::AssertionFailure() << "message '" << box.text << "' (" << hexBytes(box.text) << ") caption '"
                                             << box.caption << "' icon " << box.icon << ", " << box.buttons.size() << " buttons, answered "
                                             << answered;
    if (!run.wizard.waitForPage(0, 1000) || run.wizard.pageIndex() != 0)
        return ::testing::AssertionFailure() << "the wizard left the destination page";
    return ::testing::AssertionSuccess();
}

TEST(DestinationPage, ShowsCaptionLabelAndTheDefaultFolderOnTheWindowsDrive)
{
    setPreviousInstall("");
    WizardSession run(stageSetup("dest-default"));
    ASSERT_TRUE(run.ready());
    EXPECT_EQ(run.wizard.caption(), caption);
    EXPECT_EQ(run.wizard.controlText(DEST_LABEL), "Rovenda のインストール先を指定してください。");
    EXPECT_EQ(run.wizard.controlText(DEST_PATH), "C:\\Korval\\");
    EXPECT_TRUE(run.wizard.button(WIZ_NEXT).usable());
    EXPECT_FALSE(run.wizard.button(WIZ_BACK).usable());
    EXPECT_FALSE(run.wizard.button(WIZ_FINISH).usable());
    // the frame stands centred on the screen
    RECT frame;
    GetWindowRect(run.wizard.frame(), &frame);
    EXPECT_NEAR(frame.left + frame.right, GetSystemMetrics(SM_CXSCREEN), 2);
    EXPECT_NEAR(frame.top + frame.bottom, GetSystemMetrics(SM_CYSCREEN), 2);
    EXPECT_TRUE(run.cancel());
}

TEST(DestinationPage, RefusesPathsWithoutDriveFormAndKeepsTheTypedText)
{
    setPreviousInstall("");
    WizardSession run(stageSetup("dest-form"));
    ASSERT_TRUE(run.ready());
    // a 259-byte path has no room for its separator in a path buffer
    std::string longest = "C:\\setuptests\\" + std::string(245, 'a');
    ASSERT_EQ(longest.size(), 259u);
    for (std::string typed : { std::string(""), std::string("C:"), std::string("C:\\"), std::string("Korval"),
                               std::string("\\Korval"), std::string("\\\\server\\share"), longest }) {
        run.wizard.typeIntoField(DEST_PATH, typed);
        EXPECT_TRUE(refusedWith(run, driveFormText)) << "typed: " << typed;
        EXPECT_EQ(run.wizard.controlText(DEST_PATH), typed);
    }
    EXPECT_TRUE(run.cancel());
}

TEST(DestinationPage, APlainFileWhereAFolderMustGoIsRefusedWithTheFolderMessage)
{
    setPreviousInstall("");
    std::string folder = scratchFolder("dest-file-in-way");
    writeFile(folder + "Korval", "a file");
    WizardSession run(stageSetup("dest-file"));
    ASSERT_TRUE(run.ready());
    run.wizard.typeIntoField(DEST_PATH, folder + "Korval\\sub");
    EXPECT_TRUE(refusedWith(run, folder + "Korval" + folderIsFileTail));
    // a drive that cannot exist passes the form check and fails in the creation
    run.wizard.typeIntoField(DEST_PATH, "1:\\x");
    ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
    SeenDialog box = run.wizard.waitForOtherDialog();
    EXPECT_EQ(box.text, "1:\\x のフォルダ作成に失敗しました。") << hexBytes(box.text);
    run.wizard.answer(box, IDOK);
    EXPECT_EQ(run.wizard.pageIndex(), 0);
    EXPECT_TRUE(run.cancel());
}

TEST(DestinationPage, TestCreationLeavesTheUpperLevelsAndRemovesTheLastOne)
{
    setPreviousInstall("");
    std::string folder = scratchFolder("dest-levels");
    WizardSession run(stageSetup("dest-levels-dist"));
    ASSERT_TRUE(run.ready());
    run.wizard.typeIntoField(DEST_PATH, folder + "a\\b\\c");
    ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
    ASSERT_TRUE(run.wizard.waitForPage(1));
    EXPECT_TRUE(folderExists(folder + "a\\b"));
    EXPECT_FALSE(folderExists(folder + "a\\b\\c"));
    EXPECT_TRUE(run.cancel());
    // cancelled: the upper levels stay
    EXPECT_TRUE(folderExists(folder + "a\\b"));
}

TEST(DestinationPage, AnExistingFolderWithFilesIsLeftAsItIs)
{
    setPreviousInstall("");
    std::string folder = scratchFolder("dest-existing");
    writeFile(folder + "keep.txt", "keep");
    WizardSession run(stageSetup("dest-existing-dist"));
    ASSERT_TRUE(run.ready());
    run.wizard.typeIntoField(DEST_PATH, folder);      // with its trailing backslash
    ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
    ASSERT_TRUE(run.wizard.waitForPage(1));
    EXPECT_EQ(readFile(folder + "keep.txt"), "keep");
    EXPECT_TRUE(run.cancel());
}

TEST(DestinationPage, ProposesThePreviousFolderAndStartsTheBoxesFromItsOptionNumber)
{
    struct Case {
        const char* uninstallString;
        const char* proposed;
        bool startMenu, desktop;
    };
    const Case cases[] = {
        { "", "C:\\Korval\\", true, true },                                                     // 46
        { "\"C:\\setuptests\\prev a\\SETUP.EXE\" /r10", "C:\\setuptests\\prev a\\", true, false }, // quoted
        { "C:\\setuptests\\prev\\SETUP.EXE /r40", "C:\\setuptests\\prev\\", false, false },      // unquoted
        { "C:\\setuptests\\prev\\SETUP.EXE /r8", "C:\\setuptests\\prev\\", false, false },
        { "C:\\setuptests\\prev\\SETUP.EXE /r12", "C:\\setuptests\\prev\\", false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uninstallString);
        setPreviousInstall(c.uninstallString);
        WizardSession run(stageSetup("dest-previous"));
        ASSERT_TRUE(run.ready());
        EXPECT_EQ(run.wizard.controlText(DEST_PATH), c.proposed);
        ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
        ASSERT_TRUE(run.wizard.waitForPage(1));
        EXPECT_EQ(run.wizard.caption(), caption);
        EXPECT_EQ(run.wizard.isChecked(START_MENU_BOX), c.startMenu);
        EXPECT_EQ(run.wizard.isChecked(DESKTOP_BOX), c.desktop);
        EXPECT_EQ(run.wizard.controlText(START_MENU_BOX), "スタートメニューに登録する");
        EXPECT_EQ(run.wizard.controlText(DESKTOP_BOX), "デスクトップにショートカットを作成する");
        EXPECT_TRUE(run.wizard.button(WIZ_NEXT).usable());
        EXPECT_FALSE(run.wizard.button(WIZ_BACK).usable());
        EXPECT_TRUE(run.cancel());
    }
    setPreviousInstall("");
}

TEST(DestinationPage, BrowseOpensOnTheFieldsFolderAndCancelLeavesTheField)
{
    setPreviousInstall("");
    std::string folder = scratchFolder("dest-browse");
    CreateDirectoryA((folder + "pick").c_str(), nullptr);
    std::string dist = stageSetup("dest-browse-dist", "[Install]\r\n1=readme.txt\r\n");
    writeFile(dist + "readme.txt", "readme");
    WizardSession run(dist);
    ASSERT_TRUE(run.ready());

    run.wizard.typeIntoField(DEST_PATH, folder + "pick\\");
    run.wizard.clickPageButton(BROWSE);
    SeenDialog picker = run.wizard.waitForOtherDialog();
    ASSERT_NE(picker.window, nullptr);
    EXPECT_FALSE(picker.isMessageBox);
    ASSERT_TRUE(run.wizard.answer(picker, IDCANCEL));
    EXPECT_EQ(run.wizard.controlText(DEST_PATH), folder + "pick\\");

    // OK without another choice takes the folder the picker opened on. Checked on the second
    // opening: Wine's picker compares folder records that hold the last access time, and the
    // first listing of a folder since it changed may update that time midway, so that the
    // first opening stays on the desktop
    run.wizard.clickPageButton(BROWSE);
    picker = run.wizard.waitForOtherDialog();
    ASSERT_NE(picker.window, nullptr);
    ASSERT_TRUE(run.wizard.waitForPickerSelection(picker, "pick"));
    ASSERT_TRUE(run.wizard.answer(picker, IDOK));
    EXPECT_EQ(run.wizard.controlText(DEST_PATH), folder + "pick");

    // the sources are still found beside the setup program after browsing
    ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
    ASSERT_TRUE(run.wizard.waitForPage(1));
    run.wizard.setChecked(START_MENU_BOX, false);
    run.wizard.setChecked(DESKTOP_BOX, false);
    ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
    ASSERT_TRUE(run.wizard.waitForButton(WIZ_FINISH));
    EXPECT_EQ(readFile(folder + "pick\\readme.txt"), "readme");
    EXPECT_EQ(run.wizard.controlText(PROGRESS_TEXT), wizardDoneText);
    EXPECT_TRUE(run.cancel());
}

TEST(DestinationPage, LittleFreeSpaceAsksAndNoStaysWhileYesGoesOn)
{
    SmallDrive drive;
    if (!drive.mounted())
        GTEST_SKIP() << "no small filesystem can be mounted here (mounting needs root); the 100 MiB "
                        "boundary itself is covered where the free space is computed";
    ULARGE_INTEGER freeBytes;
    ASSERT_TRUE(GetDiskFreeSpaceExA("T:\\", &freeBytes, nullptr, nullptr));
    ASSERT_EQ(freeBytes.QuadPart >> 20, 50u);

    setPreviousInstall("");
    WizardSession run(stageSetup("dest-space"));
    ASSERT_TRUE(run.ready());
    run.wizard.typeIntoField(DEST_PATH, "T:\\Korval");
    for (int answer : { IDNO, IDYES }) {
        ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
        SeenDialog box = run.wizard.waitForOtherDialog();
        ASSERT_TRUE(box.isMessageBox);
        EXPECT_EQ(box.text, "指定されたドライブの残り容量が 50メガバイトしかありません。\r\rかまわずにインストールしますか？")
            << hexBytes(box.text);
        EXPECT_EQ(box.caption, "Rovenda");
        EXPECT_EQ(iconShown(box), "question");
        ASSERT_EQ(box.buttons.size(), 2u);
        ASSERT_NE(box.button(IDYES), nullptr);
        ASSERT_NE(box.button(IDNO), nullptr);
        EXPECT_TRUE(box.button(IDYES)->isDefault);
        ASSERT_TRUE(run.wizard.answer(box, answer));
        if (answer == IDNO) {
            EXPECT_TRUE(run.wizard.waitForPage(0, 500));
            EXPECT_EQ(run.wizard.controlText(DEST_PATH), "T:\\Korval");
        }
    }
    EXPECT_TRUE(run.wizard.waitForPage(1));
    // the test creation removed the folder it made
    EXPECT_FALSE(folderExists("T:\\Korval"));
    EXPECT_TRUE(run.cancel());
}

// The first count characters of an ANSI text.
static std::string firstCharacters(const std::string& text, int count)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.c_str(), (int)text.size(), &wide[0], (int)wide.size()));
    wide.resize(std::min<size_t>(wide.size(), count));
    std::string back(wide.size() * 2 + 1, '\0');
    back.resize(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(), &back[0], (int)back.size(), nullptr, nullptr));
    return back;
}

TEST(DestinationPage, TypedTextIsMeasuredInBytesAndOver259IsRefusedWithTheFormMessage)
{
    setPreviousInstall("");
    WizardSession run(stageSetup("dest-typed"));
    ASSERT_TRUE(run.ready());
    const std::string base = run.dist;
    ASSERT_EQ(base.size(), 25u);
    std::string level;
    for (int i = 0; i < 30; ++i)
        level += "表";                              // 95 5C: two bytes, one character
    level += "\\";
    // the field takes 259 characters, far more than 259 bytes; read into a path buffer the
    // text would end inside the fourth level and make a folder of a cut name
    std::string typed = base;
    for (int i = 0; i < 10; ++i)
        typed += level;
    run.wizard.typeCharacters(DEST_PATH, typed);
    std::string kept = firstCharacters(typed, 259);
    EXPECT_EQ(run.wizard.controlText(DEST_PATH), kept);
    EXPECT_GT(kept.size(), 259u);
    EXPECT_TRUE(refusedWith(run, driveFormText));
    EXPECT_EQ(run.wizard.controlText(DEST_PATH), kept);
    EXPECT_FALSE(folderExists(base + level));

    // 259 bytes of double-byte text fit; one byte more does not
    std::string fits = base + level + level + level + firstCharacters(level, 25) + "\\";
    ASSERT_EQ(fits.size(), 259u);
    run.wizard.typeCharacters(DEST_PATH, fits + "x");
    EXPECT_TRUE(refusedWith(run, driveFormText));
    EXPECT_FALSE(folderExists(base + level));
    run.wizard.typeCharacters(DEST_PATH, fits);
    ASSERT_TRUE(run.wizard.press(WIZ_NEXT));
    SeenDialog box = run.wizard.waitForOtherDialog(2000);
    if (box.window) {
        ADD_FAILURE() << "unexpected message " << hexBytes(box.text);
        run.wizard.answer(box, IDOK);
    }
    EXPECT_TRUE(run.wizard.waitForPage(1));
    EXPECT_TRUE(folderExists(base + level + level + level));
    EXPECT_TRUE(run.cancel());
}
