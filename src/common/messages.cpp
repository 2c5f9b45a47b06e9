#include "common/messages.h"

#include "common/linebreaks.h"
#include "common/reason.h"

#include <QStringBuilder>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace messages {

namespace {

QString shown(const QString &path)
{
    return shownPath(path);
}

// A box grows with its text: the memo of a notice is cut to a length and a number of lines that
// keep the box and its OK button on the screen.
constexpr qsizetype noticeCharacters = 1000;
constexpr qsizetype noticeLines = 25;

QString noticeMemo(const QString &memo)
{
    qsizetype breaks = 0;
    for (qsizetype k = 0; k < memo.size() && k < noticeCharacters; ++k) {
        if (memo[k] != u'\n' || ++breaks < noticeLines)
            continue;
        const qsizetype end = k > 0 && memo[k - 1] == u'\r' ? k - 1 : k;
        return memo.left(end) + QStringLiteral("…（全 %1 行）").arg(memo.count(u'\n') + 1);
    }
    return elided(memo, noticeCharacters);
}

// The first ten of `lines`, each cut to a length a box can lay out, and how many more there
// are: a box of thousands of lines would not fit on the screen.
QString firstLinesOf(const QStringList &lines)
{
    constexpr qsizetype linesShown = 10;
    QStringList shownLines;
    for (const QString &line : lines.first(qMin(lines.size(), linesShown)))
        shownLines.append(elided(line, 200));
    QString text = shownLines.join(u'\n');
    if (lines.size() > linesShown)
        text += QStringLiteral("\nほか %1 件").arg(lines.size() - linesShown);
    return text;
}

} // namespace

QString shownPath(const QString &path)
{
    // A damaged setting can hold megabytes: only the beginning of a path longer than any the
    // system accepts is shown.
    const QString text = path.size() <= 4096 ? path : elided(path, 200);
    // A name may hold any character but the slash: a line feed would put lines of its own into
    // a question, and a direction mark would show its end reversed.
    const auto hidden = [](char16_t c) {
        return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x061C
                || (c >= 0x200E && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E)
                || (c >= 0x2066 && c <= 0x2069);
    };
    if (std::none_of(text.cbegin(), text.cend(), [&](QChar c) { return hidden(c.unicode()); }))
        return text;
    QString escaped;
    escaped.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (hidden(c.unicode()))
            escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    return escaped;
}

QString dateOfKey(const QString &key)
{
    return key.first(4) + u'/' + key.sliced(4, 2) + u'/' + key.sliced(6, 2);
}

QString dateOf(QDate date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QString elided(const QString &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    const qsizetype end = text[limit].isLowSurrogate() ? limit - 1 : limit;
    return text.left(end) + QStringLiteral("…（全 %1 文字）").arg(text.size());
}

QString applicationTitle()
{
    return QStringLiteral("暦丸");
}

QString bug()
{
    return QStringLiteral("バグです");
}

QString memoEmpty()
{
    return QStringLiteral("メモを書き込んでください");
}

QString scheduleFileNotSet()
{
    return QStringLiteral(
            "スケジュールファイルが、設定されていません\n左上の FILE にて設定してください");
}

QString writeCompleted()
{
    return QStringLiteral("書込み完了");
}

QString selectionCancelled()
{
    return QStringLiteral("選択は、キャンセルされました");
}

QString confirmFileTitle()
{
    return QStringLiteral("ファイル設定確認");
}

QString confirmFile(const QString &chosen)
{
    return QLatin1Char('\n') + shown(chosen) + QStringLiteral("\n\n のファイルでいいですか？\n");
}

QString showSchedulePath(const QString &path)
{
    return QStringLiteral("設定ファイルは\n") + shown(path) + QStringLiteral("\nです");
}

QString setAsideNotSet()
{
    return QStringLiteral("スケジュールファイルが設定されていません。");
}

QString setAsideDone(const QString &backupPath)
{
    return shown(backupPath) + QStringLiteral("\n\nのファイルに改名しました");
}

QString alarmNotice(const QString &dateLine, const QString &memo)
{
    // Built at once: start-up may show thousands.
    return QStringLiteral("\nアラーム設定しています\n\n") % dateLine % QLatin1Char('\n')
            % noticeMemo(memo);
}

QString dayInfo(int year, int month, int day, const QString &holidayName)
{
    // Numbers carry the blank of a positive sign, as in the day heading.
    return QStringLiteral(" %1年 %2月 %3日:").arg(year).arg(month).arg(day) + holidayName
            + QStringLiteral("\n\n");
}

QString internetQuestion()
{
    return QStringLiteral("\nインターネットに接続していますか？\n");
}

QString internetTitle()
{
    return QStringLiteral("インターネット接続");
}

QString settingNotSaved(const QString &reason)
{
    return QStringLiteral("スケジュールファイルの設定を保存できませんでした。\n") + reason;
}

QString fileUnreadable(const QString &path, const QString &reason)
{
    return QStringLiteral("スケジュールファイルを読み込めませんでした。\n") + shown(path)
            + QLatin1Char('\n') + reason;
}

QString memoHasQuote()
{
    return QStringLiteral("メモに「\"」（ダブルクォーテーション）は使えません。\n"
                          "別の文字に置き換えてから追加してください。");
}

QString memoNotEncodable(const QString &character)
{
    return QStringLiteral("メモの文字「%1」はスケジュールファイルに保存できません。\n"
                          "別の文字に置き換えてから追加してください。")
            .arg(character);
}

QString fileHasInvalidBytes(const QString &path)
{
    return QStringLiteral("スケジュールファイルに読み取れない文字が含まれているため、"
                          "書き込みを中止しました。\n")
            + shown(path) + QStringLiteral("\nファイルの内容は変更していません。");
}

QString fileHasStrayText(const QString &path, const QString &line)
{
    return QStringLiteral(
                   "スケジュールファイルの %1 行目に、「\"」の後に続く読み取れない文字があるため、"
                   "書き込みを中止しました。\n")
                   .arg(line)
            + shown(path)
            + QStringLiteral("\nファイルの内容は変更していません。"
                             "ファイルを直してから、もう一度追加してください。");
}

QString fileNotWritten(const QString &path, const QString &reason)
{
    return QStringLiteral("スケジュールファイルに書き込めませんでした。\n") + shown(path)
            + QLatin1Char('\n') + reason + QStringLiteral("\nファイルの内容は変更していません。");
}

QString fileLocked(const QString &path)
{
    return QStringLiteral("スケジュールファイルは他のプログラムが使用中です。\n") + shown(path)
            + QStringLiteral("\nしばらくしてからもう一度お試しください。");
}

QString folderUnusable(const QString &folder, const QString &reason)
{
    return QStringLiteral("保存先のフォルダを使えません。\n") + shown(folder) + QLatin1Char('\n')
            + reason;
}

QString setAsideNoFile(const QString &path)
{
    return QStringLiteral("改名するスケジュールファイルがありません。\n") + shown(path)
            + QStringLiteral("\n以前のバックアップはそのまま残しています。");
}

QString setAsideFailed(const QString &path, const QString &backupPath, const QString &reason)
{
    return QStringLiteral("スケジュールファイルを改名できませんでした。\n") + shown(path)
            + QStringLiteral("\n→ ") + shown(backupPath) + QLatin1Char('\n') + reason
            + QStringLiteral("\nどちらのファイルも変更していません。");
}

QString browserFailed(const QString &url)
{
    return QStringLiteral("ブラウザを起動できませんでした。\n") + url;
}

QString memoShownInPart(qsizetype total, qsizetype shown)
{
    return QStringLiteral(
                   "この日のメモは長いため（%1 文字）、最初の %2 文字だけを表示しています。\n"
                   "表示しているメモは書き換えられません。"
                   "スケジュールに追加すると、メモは全文がそのまま保存されます。")
            .arg(total)
            .arg(shown);
}

QString systemError(int errnoValue)
{
    switch (errnoValue) {
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが拒否されました。");
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダがありません。");
    case ENOTDIR:
        return QStringLiteral("パスの途中がフォルダではありません。");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダがあります。");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が足りません。");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます。");
    case EROFS:
        return QStringLiteral("読み取り専用のファイルシステムです。");
    case EIO:
        return QStringLiteral("入出力エラーが発生しました。");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます。");
    case ELOOP:
        return QStringLiteral("シンボリックリンクが循環しています。");
    default:
        return QString::fromLocal8Bit(std::strerror(errnoValue));
    }
}

QString notRegularFile()
{
    return QStringLiteral("通常のファイルではありません。");
}

QString lockNotRegularFile(const QString &lockPath)
{
    return QStringLiteral("ロックファイルの名前 %1 に、通常のファイルではないものがあります。")
            .arg(shown(lockPath));
}

QString lockNotOpened(const QString &lockPath, const QString &reason)
{
    return QStringLiteral("ロックファイル %1 を開けません。").arg(shown(lockPath)) + reason;
}

QString writeInterrupted()
{
    return QStringLiteral(
            "書き込みが途中で終わりました（ディスクの空き容量が足りない可能性があります）。");
}

QString settingsNotWritable(const QString &settingsFile)
{
    return QStringLiteral("設定ファイル %1 に書き込めません").arg(settingsFile);
}

QString cancelButton()
{
    return QStringLiteral("キャンセル");
}

QString dateChangedTitle()
{
    return QStringLiteral("スケジュールの変更確認");
}

QString dateChanged(const QString &date, const QStringList &memos)
{
    QStringList shownMemos;
    for (const QString &memo : memos) {
        shownMemos.append(QStringLiteral("・") + noticeMemo(withLineFeeds(memo)));
    }
    if (shownMemos.isEmpty())
        shownMemos.append(QStringLiteral("（スケジュールはありません）"));
    return date
            + QStringLiteral("のスケジュールは、この日を開いた後に、ほかのプログラムか"
                             "別のパソコンで変更されました。\n\n今のスケジュール：\n")
            + shownMemos.join(u'\n')
            + QStringLiteral("\n\n書いたメモを、今のスケジュールと両方残しますか、"
                             "今のスケジュールと置き換えますか？");
}

QStringList dateChangedButtons()
{
    return {QStringLiteral("両方残す"), QStringLiteral("置き換える"), cancelButton()};
}

QString conflictCopyTitle()
{
    return QStringLiteral("競合コピーの取り込み");
}

QString conflictCopyFound(const QString &copyPath, const QString &renamedTo)
{
    return QStringLiteral("同期ツールが作ったスケジュールファイルの競合コピーがあります。\n")
            + shown(copyPath)
            + QStringLiteral("\n\nこのコピーにだけあるスケジュールを、スケジュールファイルに"
                             "取り込みますか？\n取り込んだコピーは、次の名前に変えて残します。\n")
            + shown(renamedTo);
}

QString conflictCopyMerged(qsizetype added, const QString &renamedTo)
{
    return QStringLiteral("競合コピーから %1 件のスケジュールを取り込みました。\n"
                          "コピーは次の名前に変えました。\n")
                   .arg(added)
            + shown(renamedTo);
}

QString conflictCopyNotMerged(const QString &copyPath, const QString &reason)
{
    return QStringLiteral("競合コピーを取り込めませんでした。\n") + shown(copyPath)
            + QLatin1Char('\n') + reason
            + QStringLiteral("\nスケジュールファイルとコピーは変更していません。");
}

QString conflictCopyNotRenamed(qsizetype added, const QString &copyPath, const QString &reason)
{
    return QStringLiteral("競合コピーから %1 件のスケジュールを取り込みましたが、"
                          "コピーの名前を変えられませんでした。\n")
                   .arg(added)
            + shown(copyPath) + QLatin1Char('\n') + reason;
}

QString copyHasInvalidBytes()
{
    return QStringLiteral("コピーに読み取れない文字が含まれています。");
}

QString copyHasStrayText(const QString &line)
{
    return QStringLiteral("コピーの %1 行目に、「\"」の後に続く読み取れない文字があります。")
            .arg(line);
}

QString conflictCopiesPassedOver(const QStringList &entries)
{
    return QStringLiteral("競合コピーと同じ形の名前のものがありますが、安全のため読み込みません"
                          "でした。\n\n")
            + entries.join(QStringLiteral("\n\n"));
}

QString copyIsLink()
{
    return QStringLiteral("シンボリックリンクです。リンクの先のファイルは読みません。");
}

QString copyOfAnotherUser()
{
    return QStringLiteral("他のユーザーのファイルです。");
}

QString copyHasOtherNames(qsizetype otherNames)
{
    return QStringLiteral("このファイルには別の名前（ハードリンク）が %1 個あります。")
            .arg(otherNames);
}

QString furtherReminders(qsizetype count)
{
    return QStringLiteral("ほかに %1 件のスケジュールのお知らせがあります。").arg(count);
}

QString commandLineHelp()
{
    return QStringLiteral("使い方: rekova [Qt のオプション]\n"
                          "暦丸: スケジュールも入れられる万年カレンダーです。\n"
                          "\n"
                          "  -h, --help     この説明を表示して終了します\n"
                          "      --version  バージョンを表示して終了します\n"
                          "\n"
                          "Qt のオプション（-platform 名前、-style 名前 など）も使えます。\n"
                          "スケジュールのファイルは、メニューの File → スケジュールファイルの設定 "
                          "で選びます。\n");
}

QString noDisplay()
{
    return QStringLiteral(
            "rekova: ウィンドウを表示する画面がありません（DISPLAY も WAYLAND_DISPLAY も"
            "設定されていません）。\n"
            "デスクトップのセッションの中で起動してください。\n");
}

QString autostartNotWritten(const QString &path, const QString &reason)
{
    return QStringLiteral("ログイン時に起動する設定を書き込めませんでした。\n%1\n%2")
            .arg(shown(path), reason);
}

QString autostartNotRemoved(const QString &path, const QString &reason)
{
    return QStringLiteral("ログイン時に起動する設定を削除できませんでした。\n%1\n%2")
            .arg(shown(path), reason);
}

namespace {

QString presentLine(qsizetype present)
{
    return present > 0 ? QStringLiteral("\n（既にある %1 件は追加しません）").arg(present)
                       : QString();
}

QString leftOutLines(const QStringList &leftOut, qsizetype leftOutCount)
{
    if (leftOutCount == 0)
        return QString();
    QString text = QStringLiteral("\n\n次の %1 件は取り込めません。").arg(leftOutCount);
    for (const QString &line : leftOut)
        text += u'\n' + line;
    if (leftOutCount > leftOut.size())
        text += QStringLiteral("\n…ほか %1 件").arg(leftOutCount - leftOut.size());
    return text;
}

} // namespace

QString icsExportDone(qsizetype count, const QString &path, const QStringList &leftOut)
{
    QString text
            = QStringLiteral("%1 件のスケジュールを書き出しました。\n").arg(count) + shown(path);
    if (leftOut.isEmpty())
        return text;
    return text + QStringLiteral("\n\n次の %1 件は書き出していません。\n").arg(leftOut.size())
            + firstLinesOf(leftOut);
}

QString icsNoSuchDate(const QString &dateKey)
{
    return dateOfKey(dateKey) + QStringLiteral("：この日付はありません。");
}

QString icsDateOutOfRange(const QString &dateKey)
{
    return dateOfKey(dateKey)
            + QStringLiteral("：西暦1年1月2日から3000年12月30日までの外にある日付は、"
                             "カレンダーファイルに書けません。");
}

QString koyomiExportQuestion()
{
    return QStringLiteral("六曜と二十四節気を書き出す年を選んで下さい。\n"
                          "一日ごとの六曜と節気が終日の予定になります。");
}

QString koyomiExportDone(int firstYear, int lastYear, qsizetype count, const QString &path)
{
    const QString years = firstYear == lastYear
            ? QStringLiteral("%1年").arg(firstYear)
            : QStringLiteral("%1年から%2年").arg(firstYear).arg(lastYear);
    return years + QStringLiteral("の六曜と節気（%1 件）を書き出しました。\n").arg(count)
            + shown(path);
}

QString icsExportNothing()
{
    return QStringLiteral("書き出すスケジュールがありません。");
}

QString icsNotCalendar(const QString &path)
{
    return QStringLiteral("iCalendar 形式のファイルではありません。\n") + shown(path);
}

QString icsTooLarge(const QString &path)
{
    return QStringLiteral("ファイルが大きすぎるため、取り込めません。\n") + shown(path);
}

QString icsFileUnreadable(const QString &path, const QString &reason)
{
    return QStringLiteral("ファイルを読み込めませんでした。\n") + shown(path) + u'\n' + reason;
}

QString icsFileNotWritten(const QString &path, const QString &reason)
{
    return QStringLiteral("ファイルに書き込めませんでした。\n") + shown(path) + u'\n' + reason;
}

QString icsSameAsSchedule()
{
    return QStringLiteral("スケジュールファイルそのものです。別のファイル名を選んでください。");
}

QString icsImportQuestion(qsizetype toAdd, qsizetype present, const QStringList &respelled,
                          const QStringList &leftOut, qsizetype leftOutCount)
{
    QString respelledLines;
    if (!respelled.isEmpty())
        respelledLines
                = QStringLiteral("\n\n次の文字は、スケジュールファイルでは右の字で保存します。\n")
                + respelled.join(QStringLiteral("、"));
    return QStringLiteral("%1 件の予定をスケジュールに追加します。").arg(toAdd)
            + presentLine(present) + respelledLines + leftOutLines(leftOut, leftOutCount)
            + QStringLiteral("\n\n追加しますか？");
}

QString writeCompletedRespelled(const QStringList &respelled)
{
    return writeCompleted()
            + QStringLiteral("\n\n次の文字は、スケジュールファイルでは別の形で書き込みました。\n")
            + respelled.join(u'\n');
}

QString icsRespelled(const QString &from, const QString &to)
{
    return QStringLiteral("%1 → %2").arg(from, to);
}

QString icsImportTitle()
{
    return QStringLiteral("iCalendar の取り込み");
}

QString icsImportDone(qsizetype added, qsizetype present)
{
    return QStringLiteral("%1 件の予定を追加しました。").arg(added) + presentLine(present);
}

QString icsImportNothing(qsizetype present, const QStringList &leftOut, qsizetype leftOutCount)
{
    return QStringLiteral("追加する予定がありません。") + presentLine(present)
            + leftOutLines(leftOut, leftOutCount);
}

QString icsOutsideRange(int firstYear, int lastYear)
{
    return QStringLiteral("%1年から%2年までの日付ではありません。").arg(firstYear).arg(lastYear);
}

QString icsNoDate()
{
    return QStringLiteral("日付がありません。");
}

QString icsNoText()
{
    return QStringLiteral("件名も説明もありません。");
}

QString icsCancelled()
{
    return QStringLiteral("取り消された予定です。");
}

QString icsOutsideCalendar()
{
    return QStringLiteral("カレンダー（VCALENDAR）の外にある予定です。");
}

QString icsTooManyOccurrences(int limit, const QString &fromDate)
{
    return QStringLiteral("繰り返しが多いため、%1 回を超える分（%2 から）は取り込みません。")
            .arg(limit)
            .arg(fromDate);
}

QString icsRepeatsWithinADay()
{
    return QStringLiteral("1日に何度も繰り返す予定のため、最初の1回だけを取り込みます。");
}

QString icsCountedFromLongAgo(int years)
{
    return QStringLiteral("回数を数える繰り返しが %1 年以上前から始まるため、取り込みません。")
            .arg(years);
}

QString icsHasQuote()
{
    return QStringLiteral(
            "「\"」（ダブルクォーテーション）はスケジュールファイルに保存できません。");
}

QString icsNotEncodable(const QString &character)
{
    return QStringLiteral("文字「%1」はスケジュールファイルに保存できません。").arg(character);
}

QString reasonText(const Reason &reason)
{
    QString text;
    switch (reason.kind) {
    case Reason::Kind::None:
        break;
    case Reason::Kind::System:
        text = systemError(reason.error);
        break;
    case Reason::Kind::NotRegularFile:
        text = notRegularFile();
        break;
    case Reason::Kind::WriteInterrupted:
        text = writeInterrupted();
        break;
    case Reason::Kind::OutOfMemory:
        text = outOfMemory();
        break;
    case Reason::Kind::FileKeptBeingReplaced:
        text = fileKeptBeingReplaced();
        break;
    case Reason::Kind::FileHasOtherNames:
        text = fileHasOtherNames(reason.count);
        break;
    case Reason::Kind::LinkNotFollowed:
        text = linkNotFollowed(reason.name);
        break;
    case Reason::Kind::NameTooLongForFilesBeside:
        text = nameTooLongForFilesBeside();
        break;
    case Reason::Kind::SaveNameInTheWay:
        text = saveNameInTheWay(reason.name);
        break;
    case Reason::Kind::LockNotRegularFile:
        text = lockNotRegularFile(reason.name);
        break;
    case Reason::Kind::LockNotOpened:
        text = lockNotOpened(reason.name, systemError(reason.error));
        break;
    case Reason::Kind::Line:
        text = QString::number(reason.count);
        break;
    case Reason::Kind::Unencodable:
        text = reason.name;
        break;
    case Reason::Kind::CopyIsLink:
        text = copyIsLink();
        break;
    case Reason::Kind::CopyOfAnotherUser:
        text = copyOfAnotherUser();
        break;
    case Reason::Kind::CopyHasOtherNames:
        text = copyHasOtherNames(reason.count);
        break;
    case Reason::Kind::CopyHasInvalidBytes:
        text = copyHasInvalidBytes();
        break;
    }
    return reason.folder.isEmpty() ? text : folderUnusable(reason.folder, text);
}

} // namespace messages

namespace messages {

QString nameTooLongForFilesBeside()
{
    return QStringLiteral(
            "ファイル名が長すぎるため、書き込みに使うファイルを同じフォルダに作れません。"
            "ファイル名を短くしてください。");
}

QString linkNotFollowed(const QString &link)
{
    return QStringLiteral(
                   "%1 は、誰でも書き込めるフォルダにある他のユーザーのシンボリックリンクです。"
                   "安全のため、このリンクの先は読み書きしません。")
            .arg(shown(link));
}

QString fileHasOtherNames(qsizetype otherNames)
{
    return QStringLiteral("このファイルには別の名前（ハードリンク）が %1 個あります。"
                          "書き込むと別の名前には古い内容が残るため、書き込みを中止しました。"
                          "別の名前の代わりにシンボリックリンクを使ってください。")
            .arg(otherNames);
}

QString deleteMenuText()
{
    return QStringLiteral("この日のメモを削除(&D)");
}

QString deleteLinesText()
{
    return QStringLiteral("選んだメモを削除(&R)");
}

QString deleteDayQuestion(const QString &date, const QString &firstLine)
{
    return date + QStringLiteral(" のメモを削除しますか？\n\n") + elided(firstLine, 200);
}

QString deleteLinesQuestion(const QStringList &lines)
{
    return QStringLiteral("次の %1 件のメモを削除しますか？\n\n").arg(lines.size())
            + firstLinesOf(lines);
}

QString deleteTitle()
{
    return QStringLiteral("メモの削除");
}

QString deleteChangedMeanwhile()
{
    return QStringLiteral("削除するメモは、ほかのプログラムか別のパソコンで変更または削除されてい"
                          "ました。\n何も削除していません。");
}

QString deleteNothingOpen()
{
    return QStringLiteral("削除するメモがありません。\nメモのある日を開いてください。");
}

QString deleteNothingPicked()
{
    return QStringLiteral("削除するメモがありません。\n一覧で削除するメモを選んでください。");
}

QString undoDone()
{
    return QStringLiteral("元に戻しました。");
}

QString undoNothing()
{
    return QStringLiteral("元に戻せる操作はありません。");
}

QString undoChangedMeanwhile(const QString &path)
{
    return QStringLiteral("スケジュールファイルはその後変更されたため、元に戻せません。\n")
            + shown(path) + QStringLiteral("\nファイルの内容は変更していません。");
}

QString stoppedByUser(const QString &path)
{
    return QStringLiteral("スケジュールファイルへの書き込みを中止しました。\n") + shown(path)
            + QStringLiteral("\nファイルの内容は変更していません。");
}

QString busyTitle()
{
    return QStringLiteral("暦丸 - 処理中（Esc キーで中止）");
}

QString outOfMemory()
{
    return QStringLiteral("メモリが足りません。");
}

QString stoppedForWantOfMemory()
{
    return QStringLiteral("メモリが足りないため、操作を中止しました。ファイルは変更していません。");
}

QString fileKeptBeingReplaced()
{
    return QStringLiteral("書き込みの間に、他のプログラムがファイルを何度も置き換えました。");
}

QString saveNameInTheWay(const QString &inTheWay)
{
    return QStringLiteral("書き込みに使うファイルの名前 %1 が、すでに使われています。")
            .arg(shown(inTheWay));
}

QString syncNotAnEvent()
{
    return QStringLiteral("予定ではありません。");
}

QString syncRepeats()
{
    return QStringLiteral("繰り返す予定はスケジュールファイルに保存できません。");
}

QString syncSeveralDays()
{
    return QStringLiteral("数日にわたる予定はスケジュールファイルに保存できません。");
}

QString syncStateNotWritten(const QString &path, const QString &reason)
{
    return QStringLiteral("同期の記録 %1 を書き込めませんでした。\n%2")
            .arg(shownPath(path), reason);
}

QString syncWrongPassword()
{
    return QStringLiteral("ユーザー名かパスワードが違います。");
}

QString syncNoRights()
{
    return QStringLiteral("このカレンダーを使う権限がありません。");
}

QString syncNoSuchServer(const QString &host)
{
    return QStringLiteral("サーバー %1 が見つかりません。アドレスを確かめて下さい。").arg(host);
}

QString syncUnreachable()
{
    return QStringLiteral("サーバーにつながりません。ネットワークを確かめて下さい。");
}

QString syncUntrustedCertificate(const QString &fingerprint)
{
    return QStringLiteral("サーバーの証明書はこのコンピューターが信頼していないものです。\n"
                          "SHA-256 フィンガープリント:\n%1\n\n"
                          "サーバーの管理者に確かめた値と同じときだけ信頼して下さい。"
                          "この証明書を信頼しますか？")
            .arg(fingerprint);
}

QString syncSecureConnection(const QString &detail)
{
    return QStringLiteral("サーバーと安全に接続できませんでした。\n%1").arg(detail);
}

QString syncInsecureAddress()
{
    return QStringLiteral("https:// で始まるアドレスを入れて下さい"
                          "（http:// はこのコンピューターのサーバーだけに使えます）。");
}

QString syncNotCalDav()
{
    return QStringLiteral("このアドレスにカレンダーが見つかりません。"
                          "CalDAV サーバーのアドレスを確かめて下さい。");
}

QString syncCalendarGone()
{
    return QStringLiteral("選んだカレンダーがサーバーにありません。同期の設定で選び直して下さい。");
}

QString syncBadAnswer()
{
    return QStringLiteral("サーバーの返事が読めませんでした。何も変えていません。");
}

QString syncServerError(int status)
{
    return QStringLiteral("サーバーがエラー %1 を返しました。").arg(status);
}

namespace {

// A box lays out every line it is given: a few are named, the rest counted.
QString syncLines(const QStringList &lines)
{
    constexpr qsizetype shown = 15;
    QStringList kept;
    for (qsizetype k = 0; k < lines.size() && k < shown; ++k)
        kept.append(elided(lines[k], 60));
    if (lines.size() > shown)
        kept.append(QStringLiteral("…ほか %1 件").arg(lines.size() - shown));
    return kept.join(u'\n');
}

} // namespace

QString syncBothChanged(const QStringList &labels)
{
    return QStringLiteral("こちらとサーバーの両方で変えられたスケジュールがあります。"
                          "両方を残しました:\n%1")
            .arg(syncLines(labels));
}

QString syncLeftThere(qsizetype count, const QStringList &lines)
{
    return QStringLiteral(
                   "スケジュールファイルに保存できない予定 %1 件はサーバーにだけ残しています:\n%2")
            .arg(count)
            .arg(syncLines(lines));
}

QString syncTitle()
{
    return QStringLiteral("カレンダー同期");
}

QString syncRunning()
{
    return QStringLiteral("同期中…");
}

QString syncDoneAt(const QString &time)
{
    return QStringLiteral("同期 %1").arg(time);
}

QString syncFailedAt(const QString &time)
{
    return QStringLiteral("同期できませんでした %1").arg(time);
}

QString syncWaitingForNetwork()
{
    return QStringLiteral("同期: ネットワーク待ち");
}

QString syncSettingsMenuText()
{
    return QStringLiteral("カレンダー同期の設定(&Y)...");
}

QString syncNowMenuText()
{
    return QStringLiteral("今すぐ同期(&N)");
}

QString syncSettingsTip()
{
    return QStringLiteral("スケジュールを CalDAV サーバーのカレンダーと同期します");
}

QString syncNowTip()
{
    return QStringLiteral("サーバーのカレンダーと今すぐ同期します");
}

QString syncSettingsTitle()
{
    return QStringLiteral("カレンダー同期の設定");
}

QString syncServerLabel()
{
    return QStringLiteral("サーバー(&S):");
}

QString syncUserLabel()
{
    return QStringLiteral("ユーザー名(&U):");
}

QString syncPasswordLabel()
{
    return QStringLiteral("パスワード(&P):");
}

QString syncCalendarLabel()
{
    return QStringLiteral("カレンダー(&C):");
}

QString syncEnabledLabel()
{
    return QStringLiteral("同期する(&E)");
}

QString syncTestButton()
{
    return QStringLiteral("接続を確かめる(&T)");
}

QString syncNewCalendarButton()
{
    return QStringLiteral("新しいカレンダー(&M)");
}

QString syncNewCalendarName()
{
    return QStringLiteral("暦丸");
}

QString syncCertificateDeclined()
{
    return QStringLiteral("証明書を信頼しなかったため、サーバーには接続していません。");
}

QString syncTestPassed(qsizetype calendars)
{
    return QStringLiteral("接続できました。カレンダーが %1 個あります。").arg(calendars);
}

QString syncNoCalendarChosen()
{
    return QStringLiteral("同期するカレンダーを選んで下さい。");
}

QString syncNoKeyring(const QString &reason)
{
    return QStringLiteral("パスワードを保管するキーリングが使えません（%1）。"
                          "パスワードは保存せず、起動のたびにお尋ねします。")
            .arg(reason);
}

QString syncAskPassword(const QString &user, const QString &server)
{
    return QStringLiteral("キーリングが使えないため、パスワードを保存していません。\n"
                          "%1 の %2 のパスワードを入れて下さい:")
            .arg(server, user);
}

QString syncOff()
{
    return QStringLiteral("同期しない");
}

} // namespace messages
