// The folder walk of the uninstall: the confirmation dialog read and answered from a
// watcher thread, files and folders checked on disk afterwards.
#include "app/state.h"
#include "res/resource.h"
#include "lnk_check.h"
#include "scratch.h"
#include "uninstall/uninstall.h"
#include "windows_seen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string.h>

static const char questionTail[] = " ←このファイルも削除していいですか？";
static const char qsoWarning[] = "（※ＱＳＯデータです！！）";

struct Question {
    std::string caption;
    std::string text;
    bool questionIcon;
    int defaultButton;
    std::vector<std::string> buttonTexts;
};

// Answers every confirmation with one answer and records what it asked; message boxes
// get OK.
class WalkAnswers {
public:
    int fallback = IDYES;
    std::string yesTo;          // a question that begins so is answered with Yes
    std::shared_ptr<std::vector<Question>> questions = std::make_shared<std::vector<Question>>();

    DialogWatcher::Handler handler()
    {
        auto questionsSeen = questions;
        int otherwise = fallback;
        std::string yes = yesTo;
        return [questionsSeen, otherwise, yes](const SeenDialog& d) -> int {
            if (d.isMessageBox)
                return IDOK;
            Question q;
            q.caption = d.caption;
            q.text = d.controlText(IDC_CONFIRM_TEXT);
            HWND icon = GetDlgItem(d.window, IDC_CONFIRM_ICON);
            q.questionIcon = icon && (HICON)SendMessageA(icon, STM_GETICON, 0, 0) == LoadIcon(nullptr, IDI_QUESTION);
            q.defaultButton = 0;
            for (const SeenButton& b : d.buttons) {
                q.buttonTexts.push_back(b.text);
                if (b.isDefault)
                    q.defaultButton = b.id;
            }
            questionsSeen->push_back(q);
            return !yes.empty() && q.text.compare(0, yes.size(), yes) == 0 ? IDYES : otherwise;
        };
    }
};

// Walks folder from a fresh setup state while handler answers its dialogs; returns the
// walk's result, and what was shown in *seen.
static int walk(const std::string& folder, DialogWatcher::Handler handler, std::vector<SeenDialog>* seen = nullptr)
{
    resetSetupState();
    setup.instanceHandle = GetModuleHandleA(nullptr);
    strcpy(setup.destDir, folder.c_str());
    DialogWatcher watcher(std::move(handler));
    int result = removeFolderTree(folder.c_str());
    if (seen)
        *seen = watcher.seen();
    return result;
}

TEST(FolderWalk, AsksAboutEachFileWithTheExactQuestionAndDeletesGidFilesWithoutOne)
{
    std::string folder = scratchFolder("walk-questions");
    for (const char* name : { "readme.txt", "HELP.GID", "help.gid", "data.KVD", "data.old.kvd", "a.b.gid", ".kvd", "noext" })
        writeFile(folder + name, "x");
    WalkAnswers answers;
    std::vector<SeenDialog> seen;
    int result = walk(folder, answers.handler(), &seen);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(folderExists(folder));
    std::map<std::string, std::string> asked;
    for (const Question& q : *answers.questions)
        asked[q.text.substr(folder.size(), q.text.find(' ', folder.size()) - folder.size())] = q.text;
    EXPECT_EQ(asked.size(), 6u);
    EXPECT_EQ(asked.count("HELP.GID"), 0u);
    EXPECT_EQ(asked.count("help.gid"), 0u);
    EXPECT_EQ(asked["readme.txt"], folder + "readme.txt" + questionTail);
    EXPECT_EQ(asked["data.KVD"], folder + "data.KVD" + questionTail + qsoWarning);
    EXPECT_EQ(asked["data.old.kvd"], folder + "data.old.kvd" + questionTail);
    EXPECT_EQ(asked[".kvd"], folder + ".kvd" + questionTail + qsoWarning);
    EXPECT_EQ(asked["a.b.gid"], folder + "a.b.gid" + questionTail);
    EXPECT_EQ(asked["noext"], folder + "noext" + questionTail);
    ASSERT_FALSE(answers.questions->empty());
    const Question& q = answers.questions->front();
    EXPECT_TRUE(q.questionIcon);
    EXPECT_EQ(q.defaultButton, IDYES);
    // the template's texts are Unicode: read as ANSI they are Shift_JIS only under code page 932
    if (GetACP() == 932) {
        EXPECT_EQ(q.caption, "削除の確認");
        EXPECT_EQ(q.buttonTexts, (std::vector<std::string> { "はい(&Y)", "すべて削除(&A)", "いいえ(&N)", "キャンセル" }));
    }
}

TEST(FolderWalk, DeleteAllEndsTheQuestionsAlsoInFoldersVisitedLater)
{
    std::string folder = scratchFolder("walk-deleteall");
    CreateDirectoryA((folder + "sub").c_str(), nullptr);
    CreateDirectoryA((folder + "sub\\deeper").c_str(), nullptr);
    for (const char* name : { "a.txt", "b.txt", "sub\\c.txt", "sub\\deeper\\d.kvd", "sub\\e.txt" })
        writeFile(folder + name, "x");
    WalkAnswers answers;
    answers.fallback = IDC_DELETE_ALL;
    int result = walk(folder, answers.handler());
    EXPECT_EQ(result, 1);
    EXPECT_EQ(answers.questions->size(), 1u);
    EXPECT_EQ(setup.deleteAll, 1);
    EXPECT_FALSE(folderExists(folder));
}

TEST(FolderWalk, KeptFileInSubfolderGivesTheFolderMessageAndEndsTheWalk)
{
    std::string folder = scratchFolder("walk-kept");
    CreateDirectoryA((folder + "sub").c_str(), nullptr);
    writeFile(folder + "sub\\keep.txt", "mine");
    WalkAnswers answers;
    answers.fallback = IDNO;
    std::vector<SeenDialog> seen;
    int result = walk(folder, answers.handler(), &seen);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(seen.size(), 2u);     // the question, the folder message; none for the folder above
    EXPECT_TRUE(seen[1].isMessageBox);
    EXPECT_EQ(seen[1].text, folder + "sub - フォルダの削除に失敗しました");
    EXPECT_EQ(seen[1].caption, "Rovenda");
    EXPECT_EQ(seen[1].icon, "error");
    EXPECT_TRUE(fileExists(folder + "sub\\keep.txt"));
    EXPECT_TRUE(folderExists(folder));
}

TEST(FolderWalk, CancelStopsAtOnceWithoutAMessage)
{
    std::string folder = scratchFolder("walk-cancel");
    writeFile(folder + "a.txt", "x");
    writeFile(folder + "b.txt", "x");
    WalkAnswers answers;
    answers.fallback = IDCANCEL;
    std::vector<SeenDialog> seen;
    int result = walk(folder, answers.handler(), &seen);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(fileExists(folder + "a.txt"));
    EXPECT_TRUE(fileExists(folder + "b.txt"));
}

TEST(FolderWalk, EmptyAndMissingFoldersNeedNoQuestion)
{
    std::string folder = scratchFolder("walk-empty");
    CreateDirectoryA((folder + "empty").c_str(), nullptr);
    CreateDirectoryA((folder + "empty\\inner").c_str(), nullptr);
    auto cancel = [](const SeenDialog&) { return IDCANCEL; };
    std::vector<SeenDialog> seen, seenMissing;
    EXPECT_EQ(walk(folder, cancel, &seen), 1);
    EXPECT_EQ(walk(folder + "never\\", cancel, &seenMissing), 1);
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(seenMissing.empty());
    EXPECT_FALSE(folderExists(folder));
}

TEST(FolderWalk, FileThatCannotBeDeletedGivesBothMessagesAndFailure)
{
    std::string folder = scratchFolder("walk-locked");
    writeFile(folder + "busy.gid", "x");
    HANDLE busy = CreateFileA((folder + "busy.gid").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    std::vector<SeenDialog> seen;
    int result = walk(folder, answerInTurn({}), &seen);
    CloseHandle(busy);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, folder + "busy.gidの削除に失敗しました。このファイルをスキップして処理を続行します。");
    EXPECT_EQ(seen[1].text, folder.substr(0, folder.size() - 1) + " - フォルダの削除に失敗しました");
    EXPECT_TRUE(fileExists(folder + "busy.gid"));
}

TEST(FolderWalk, AFolderLinkIsNeverWalkedIntoAndWhatItLeadsToStays)
{
    // a Unix link to a folder is what Wine shows as a folder with the reparse-point
    // attribute, as Windows shows a junction or a directory symbolic link
    std::string folder = scratchFolder("walk-link");
    std::string outside = scratchFolder("walk-link-outside");
    writeFile(outside + "precious.txt", "mine");
    writeFile(folder + "a.txt", "x");
    std::string target = unixPathOf(outside.substr(0, outside.size() - 1));
    ASSERT_FALSE(target.empty());
    ASSERT_EQ(runUnixScript("ln -s '" + target + "' '" + unixPathOf(folder) + "linked'\n"), 0);
    ASSERT_EQ(GetFileAttributesA((folder + "linked").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
              (DWORD)FILE_ATTRIBUTE_REPARSE_POINT);
    WalkAnswers answers;
    answers.fallback = IDC_DELETE_ALL;
    std::vector<SeenDialog> seen;
    int result = walk(folder, answers.handler(), &seen);
    EXPECT_TRUE(fileExists(outside + "precious.txt"));
    EXPECT_EQ(readFile(outside + "precious.txt"), "mine");
    EXPECT_EQ(answers.questions->size(), 1u);       // a.txt; nothing behind the link is asked about
    EXPECT_FALSE(fileExists(folder + "a.txt"));
    std::vector<std::string> messages;
    for (const SeenDialog& d : seen)
        if (d.isMessageBox)
            messages.push_back(d.text);
    if (GetFileAttributesA((folder + "linked").c_str()) == INVALID_FILE_ATTRIBUTES) {
        // the system removed just the link: the folder is empty and goes too
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(messages.empty());
        EXPECT_FALSE(folderExists(folder));
    } else {
        // the link stays, and the folder's removal fails with its message as for a kept file
        EXPECT_EQ(result, 0);
        EXPECT_EQ(messages, std::vector<std::string> { folder.substr(0, folder.size() - 1) + " - フォルダの削除に失敗しました" });
    }
    runUnixScript("rm -f '" + unixPathOf(folder) + "linked'\n");
    deleteTree(outside);
}

TEST(FolderWalk, ANameOutsideTheCodePageIsJudgedAndShownByItsRealNameAndOnlyThatFileIsDeleted)
{
    // Zoë.gidx: under code page 932 its short name ends in .GID, but it is no gid file; it is
    // asked about under its real name, and the look-alike Zoe.gidx beside it is another file
    std::string folder = scratchFolder("walk-foreign");
    std::wstring real = widened(folder) + L"Zo\u00EB.gidx";
    CloseHandle(CreateFileW(real.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    writeFile(folder + "Zoe.gidx", "look-alike");
    char shown[MAX_PATH];
    ASSERT_TRUE(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, real.c_str(), -1, shown, MAX_PATH, "?", nullptr));
    WalkAnswers answers;
    answers.fallback = IDNO;
    answers.yesTo = shown;
    EXPECT_EQ(walk(folder, answers.handler()), 0);      // the look-alike stays, and so does the folder
    std::vector<std::string> asked;
    for (const Question& q : *answers.questions)
        asked.push_back(q.text);
    std::vector<std::string> expected = { shown + std::string(questionTail), folder + "Zoe.gidx" + questionTail };
    std::sort(asked.begin(), asked.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(GetFileAttributesW(real.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(readFile(folder + "Zoe.gidx"), "look-alike");
}
