#pragma once

// Every text that the program shows in a message box, in one place. Line breaks are single
// line feeds. Texts that name a file take the path as the user chose it.

#include <QDate>
#include <QString>
#include <QStringList>

struct Reason;

namespace messages {

// `text` itself, or when it is longer than `limit` its beginning and its length: a box or a
// list line lays out all of its text, which takes seconds for a memo of megabytes.
QString elided(const QString &text, qsizetype limit);
// A path as a box shows it: the beginning of one too long for the system, and characters that
// would change the box's lines or their direction (a line feed, a direction mark) escaped.
QString shownPath(const QString &path);
// A date key "yyyymmdd…" as the program shows dates: "yyyy/mm/dd".
QString dateOfKey(const QString &key);
QString dateOf(QDate date);

// Fixed texts of the program.
QString applicationTitle();   // "暦丸", the title of every box that names none of its own
QString bug();                // "バグです"
QString memoEmpty();          // the add was asked for with an empty memo
QString scheduleFileNotSet(); // day entry and add without a schedule file
QString writeCompleted();     // "書込み完了"
// "書込み完了", and which characters of the memo the file holds in another form.
QString writeCompletedRespelled(const QStringList &respelled);
QString selectionCancelled(); // the save-as dialog was cancelled
QString confirmFileTitle();   // "ファイル設定確認"
QString confirmFile(const QString &chosen);
QString showSchedulePath(const QString &path);
QString setAsideNotSet(); // set-aside without a schedule file
QString setAsideDone(const QString &backupPath);
QString alarmNotice(const QString &dateLine, const QString &memo);
QString dayInfo(int year, int month, int day, const QString &holidayName);
QString internetQuestion();
QString internetTitle(); // "インターネット接続"

// Texts for failures that the program reports instead of losing data.
QString settingNotSaved(const QString &reason);
QString fileUnreadable(const QString &path, const QString &reason);
QString memoHasQuote();
QString memoNotEncodable(const QString &character);
QString fileHasInvalidBytes(const QString &path);
// Text after a closing quotation mark on line `line` of the file would be lost by a rewrite.
QString fileHasStrayText(const QString &path, const QString &line);
QString fileNotWritten(const QString &path, const QString &reason);
QString fileLocked(const QString &path);
// The folder that holds the schedule file cannot take its lock file; `reason` says why.
QString folderUnusable(const QString &folder, const QString &reason);
QString setAsideNoFile(const QString &path);
QString setAsideFailed(const QString &path, const QString &backupPath, const QString &reason);
QString browserFailed(const QString &url);
// The day's memo has `total` characters, too many to show; the box shows the first `shown`.
QString memoShownInPart(qsizetype total, qsizetype shown);

// Reasons, one sentence each, that the texts above take as `reason`.
QString reasonText(const Reason &reason); // the user's words for a reason the file code gave
QString systemError(int errnoValue);      // what the system refused, from its errno
QString notRegularFile();                 // something other than a file is at the path
QString writeInterrupted();               // a write stopped before all bytes were written
QString settingsNotWritable(const QString &settingsFile);
// Something other than a regular file (a FIFO, a folder) is at the lock file's name.
QString lockNotRegularFile(const QString &lockPath);
// The lock file is there but cannot be opened (another user's that this user may not read);
// `reason` says why.
QString lockNotOpened(const QString &lockPath, const QString &reason);

// The records of the date being added changed on disk after its memo box was loaded:
// `date` as "yyyy/mm/dd", `memos` the memos the date has now. The buttons are keep both,
// replace and cancel, in this order.
QString cancelButton(); // "キャンセル", the last button of a choice
QString dateChangedTitle();
QString dateChanged(const QString &date, const QStringList &memos);
QStringList dateChangedButtons();
// A sync tool's conflict copy of the schedule file was found beside it.
QString conflictCopyTitle();
QString conflictCopyFound(const QString &copyPath, const QString &renamedTo);
QString conflictCopyMerged(qsizetype added, const QString &renamedTo);
QString conflictCopyNotMerged(const QString &copyPath, const QString &reason);
// The records were added but the copy kept its name, so it will be offered again.
QString conflictCopyNotRenamed(qsizetype added, const QString &copyPath, const QString &reason);
// Reasons for conflictCopyNotMerged.
QString copyHasInvalidBytes();
QString copyHasStrayText(const QString &line);
// Names of a conflict copy's form that are not offered: each of `entries` is a path and, on
// the next line, why it was passed over.
QString conflictCopiesPassedOver(const QStringList &entries);
// Why a name of a copy's form is passed over: a symbolic link, another user's file, a file
// with `otherNames` further names (hard links).
QString copyIsLink();
QString copyOfAnotherUser();
QString copyHasOtherNames(qsizetype otherNames);

// The desktop notification that stands for `count` further reminders of one check, so that a
// day of many does not cover the screen with notifications.
QString furtherReminders(qsizetype count);

// What `rekova --help` prints.
QString commandLineHelp();

// What the program prints, instead of opening its window, when it is started with no display to
// open it on.
QString noDisplay();

// The autostart entry at `path` could not be written or removed; `reason` says why.
QString autostartNotWritten(const QString &path, const QString &reason);
QString autostartNotRemoved(const QString &path, const QString &reason);

// Calendar files (.ics) out and in.
// `leftOut` holds a line for each record that was not written (icsLeftOutDate() and the like).
QString icsExportDone(qsizetype count, const QString &path, const QStringList &leftOut);
// A record left out of an export: its date key "yyyymmdd" and why.
QString icsNoSuchDate(const QString &dateKey);
QString icsDateOutOfRange(const QString &dateKey);
QString icsExportNothing(); // the schedule file holds no memo to write out
QString icsNotCalendar(const QString &path);
QString icsTooLarge(const QString &path);
QString icsFileUnreadable(const QString &path, const QString &reason);
QString icsFileNotWritten(const QString &path, const QString &reason);
QString icsSameAsSchedule(); // the chosen file is the schedule file itself
// The 六曜 and solar terms out: which years, and what was written.
QString koyomiExportQuestion();
QString koyomiExportDone(int firstYear, int lastYear, qsizetype count, const QString &path);
// The question before an import: what will be added, which characters are stored in another
// spelling (icsRespelled() lines), what is already there, what is left out (lines "event:
// reason", already cut to a number the box can show).
QString icsImportQuestion(qsizetype toAdd, qsizetype present, const QStringList &respelled,
                          const QStringList &leftOut, qsizetype leftOutCount);
// A character the schedule file keeps as `to`: "〜 → ～".
QString icsRespelled(const QString &from, const QString &to);
QString icsImportTitle(); // "iCalendar の取り込み"
QString icsImportDone(qsizetype added, qsizetype present);
QString icsImportNothing(qsizetype present, const QStringList &leftOut, qsizetype leftOutCount);
// Reasons an event is left out.
QString icsOutsideRange(int firstYear, int lastYear);
QString icsNoDate();
QString icsNoText();
QString icsCancelled();
QString icsOutsideCalendar(); // an event beside the calendars of a file, in none of them
QString icsTooManyOccurrences(int limit, const QString &fromDate);
QString icsRepeatsWithinADay();
// A repeat counted from a start more than `years` years before the calendar's first year.
QString icsCountedFromLongAgo(int years);
QString icsHasQuote();
QString icsNotEncodable(const QString &character);

// The calendar sync with a CalDAV server.
// Why an event stays on the server only (icalendar::LeftOut reasons beside the import's).
QString syncNotAnEvent();
QString syncRepeats();
QString syncSeveralDays();
QString syncStateNotWritten(const QString &path, const QString &reason);
// Why the server could not be used, one plain sentence each.
QString syncWrongPassword();
QString syncNoRights();
QString syncNoSuchServer(const QString &host);
QString syncUnreachable();
QString syncUntrustedCertificate(const QString &fingerprint); // a question: trust it?
QString syncSecureConnection(const QString &detail);
QString syncInsecureAddress();
QString syncNotCalDav();
QString syncCalendarGone();
QString syncBadAnswer();
QString syncServerError(int status);
// What a sync tells once: memos changed on both sides (kept both), events left on the server.
QString syncBothChanged(const QStringList &labels);
QString syncLeftThere(qsizetype count, const QStringList &lines);
QString syncTitle(); // "カレンダー同期"
// The window's status line.
QString syncRunning();
QString syncDoneAt(const QString &time);
QString syncFailedAt(const QString &time);
QString syncWaitingForNetwork();
// The settings dialog and the password.
QString syncSettingsMenuText();
QString syncNowMenuText();
QString syncSettingsTip();
QString syncNowTip();
QString syncSettingsTitle();
QString syncServerLabel();
QString syncUserLabel();
QString syncPasswordLabel();
QString syncCalendarLabel();
QString syncEnabledLabel();
QString syncTestButton();
QString syncNewCalendarButton();
QString syncNewCalendarName(); // "暦丸"
// The test of the connection ended by declining the server's certificate.
QString syncCertificateDeclined();
QString syncTestPassed(qsizetype calendars);
QString syncNoCalendarChosen();
QString syncNoKeyring(const QString &reason);
QString syncAskPassword(const QString &user, const QString &server);
QString syncOff();

} // namespace messages

namespace messages {

// Reasons for the store's refusals that keep another user's files and the memos safe.
// The schedule file's name leaves no room for the name of its lock file beside it.
QString nameTooLongForFilesBeside();
// `link` is another user's symbolic link in a folder everyone may write; it is not followed.
QString linkNotFollowed(const QString &link);
// The schedule file has `otherNames` names besides the path (hard links).
QString fileHasOtherNames(qsizetype otherNames);
QString outOfMemory();
// The window stopped what it was doing because memory ran out; the program goes on.
QString stoppedForWantOfMemory();
// Another program kept replacing the file while an add was writing it.
QString fileKeptBeingReplaced();
// Deleting one day's memos or the memos picked out in the list, and taking steps back.
QString deleteMenuText();  // the command for the open day, in the menu
QString deleteLinesText(); // the command for the lines picked out in the list
QString deleteDayQuestion(const QString &date, const QString &firstLine);
QString deleteLinesQuestion(const QStringList &lines);
QString deleteTitle(); // "メモの削除"
QString deleteChangedMeanwhile();
QString deleteNothingOpen();   // no day with memos is open
QString deleteNothingPicked(); // no line is picked out in the list
QString undoDone();
QString undoNothing();
QString undoChangedMeanwhile(const QString &path);
// The user stopped a long step on the schedule file at `path`; nothing was written.
QString stoppedByUser(const QString &path);
// The window's title while a long step runs, saying how to stop it.
QString busyTitle();
// No fresh name could be made for the new file beside the schedule file; `inTheWay` is the
// last one tried.
QString saveNameInTheWay(const QString &inTheWay);

} // namespace messages
