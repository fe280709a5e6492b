// Every sentence the program shows (see texts.h).
#include "app/texts.h"

const char folderIsFileSentence[] = " - 同じ名前のファイルが既に存在するのでフォルダが作成できません。";
const char folderFailedSentence[] = " のフォルダ作成に失敗しました。";
const char deleteFailedSentence[] = "の削除に失敗しました。このファイルをスキップして処理を続行します。";

const char destinationRequest[] = "を指定してください。";
const char driveFormMessage[] = "「C:\\Korval」のように、ドライブ名も含めた正しいパス名を指定してください。";
// \r alone: the question stands after an empty line
const char lowSpaceQuestion[] = "指定されたドライブの残り容量が %uメガバイトしかありません。\r\rかまわずにインストールしますか？";

const char installFailedSentence[] = "インストール中にエラーが発生しました。";
const char installDoneSentence[] = "インストールが完了しました。今後ともよろしくです。　de Tolbry";

const char relaunchPromptTail[] = " を削除します。";
const char relaunchFailedMessage[] = "アンインストールに失敗しました。手動で削除してください。";
const char removalCaptionTail[] = "の削除";
const char removedTail[] = "は正常に削除されました。";
const char filesRemainTail[] = " にはまだファイルが残っています。後で削除してください。";
const char mainFileFailedMiddle[] = " の削除に失敗しました。";
const char mainFileFailedTail[] = " を終了して、もう一度アンインストールをやり直してください。";
const char removeFileQuestion[] = " ←このファイルも削除していいですか？";
const char qsoDataWarning[] = "（※ＱＳＯデータです！！）";
const char folderRemoveFailedSentence[] = " - フォルダの削除に失敗しました";
const char notThisInstallationSentence[] = " にインストールされています。ほかのフォルダからは削除しません。";

const char logCommandLineWord[] = "コマンドライン: ";
const char logDestinationWord[] = "インストール先: ";
const char logCopyWord[] = "コピー ";
const char logMoveWord[] = "移動 ";
const char logArrow[] = " → ";
const char logDeleteWord[] = "削除 ";
const char logMadeWord[] = "作成 ";
const char logShortcutWord[] = "ショートカット ";
const char logStartWord[] = "起動 ";
const char logRestartWord[] = "再起動時に削除 ";
const char logKeptWord[] = " いいえ (残します)";
const char logInUseWord[] = "使用中 ";
const char logProcessWord[] = "プロセス ";
const char logCloseAskedWord[] = "終了を依頼 ";
const char logDoneWord[] = ": 成功";
const char logFailedWord[] = ": 失敗";
const char logErrorWord[] = " (エラー ";
const char logExitWord[] = "終了コード ";
