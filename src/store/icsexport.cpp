#include "store/icsexport.h"

#include "common/messages.h"
#include "platform/platform.h"
#include "store/cp932.h"
#include "store/dirs.h"
#include "store/fieldreader.h"
#include "store/posix.h"
#include "store/record.h"
#include "store/savefile.h"
#include "store/schedulefile.h"
#include "store/target.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace icsexport {

namespace {

bool isSameFile(const QString &a, const QString &b)
{
    return posix::sameFile(posix::fileStatus(QFile::encodeName(a)),
                           posix::fileStatus(QFile::encodeName(b)));
}

// Returns: the memos of the schedule file's bytes, in file order: every record that begins with
// the date key of a real date, its line breaks as "\n". Other lines are not memos.
QList<icalendar::Memo> memosOf(QByteArrayView bytes)
{
    QList<icalendar::Memo> memos;
    fieldreader::forEachField(bytes, [&](QByteArrayView field) {
        if (!record::beginsWithDateKey(field))
            return;
        const QString item = cp932::decode(field).text;
        const QDate date(item.first(4).toInt(), item.sliced(4, 2).toInt(),
                         item.sliced(6, 2).toInt());
        if (!date.isValid())
            return;
        QString text = record::memoOf(item).toString();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        memos.append({date, text, record::alarmOn(item)});
    });
    return memos;
}

} // namespace

QString proposedName(const QString &schedulePath)
{
    if (schedulePath.isEmpty())
        return QStringLiteral("ｽｹｼﾞｭｰﾙ.ics");
    const QFileInfo file(schedulePath);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral(".ics"));
}

bool exportSchedules(Platform &platform, const StoreOptions &options)
{
    const QString path = dirs::schedulePath(platform);
    if (path.isEmpty()) {
        platform.showMessage(messages::scheduleFileNotSet(), messages::applicationTitle());
        return false;
    }
    const schedulefile::Bytes file = schedulefile::readBytes(path);
    if (file.status == schedulefile::Status::Unreadable) {
        platform.showMessage(messages::fileUnreadable(path, file.error),
                             messages::applicationTitle());
        return false;
    }
    QList<icalendar::Memo> memos = memosOf(file.bytes);
    // A date that a hand edit put far out cannot be written as a calendar date: said, not lost
    // without a word.
    const qsizetype unwritable = memos.removeIf(
            [](const icalendar::Memo &memo) { return !icalendar::canWrite(memo.date); });
    if (memos.isEmpty()) {
        platform.showMessage(messages::icsExportNothing(), messages::applicationTitle());
        return false;
    }

    const std::optional<QString> chosen = platform.chooseSaveFileName(
            proposedName(path),
            {QStringLiteral("iCalendar (*.ics)"), QStringLiteral("All Files (*)")});
    if (!chosen || chosen->isEmpty())
        return false;
    // UTF-8 over the memos would lose them all.
    if (isSameFile(*chosen, path)) {
        platform.showMessage(messages::icsFileNotWritten(*chosen, messages::icsSameAsSchedule()),
                             messages::applicationTitle());
        return false;
    }
    const target::Target target = target::resolve(*chosen);
    if (!target.ok()) {
        platform.showMessage(messages::icsFileNotWritten(
                                     *chosen,
                                     target.refusedLink.isEmpty()
                                             ? messages::systemError(target.error)
                                             : messages::linkNotFollowed(target.refusedLink)),
                             messages::applicationTitle());
        return false;
    }
    const savefile::Result saved
            = savefile::save(target.path, icalendar::format(memos, platform.today()), options);
    if (!saved.ok) {
        platform.showMessage(messages::icsFileNotWritten(*chosen, saved.error),
                             messages::applicationTitle());
        return false;
    }
    platform.showMessage(messages::icsExportDone(memos.size(), *chosen, unwritable),
                         messages::applicationTitle());
    return true;
}

} // namespace icsexport
