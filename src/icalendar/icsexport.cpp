#include "icalendar/icsexport.h"

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

struct Memos
{
    QList<icalendar::Memo> memos;
    QStringList leftOut; // a line for each record that cannot be an event, and why
};

// Returns: the memos of the schedule file's bytes, in file order: every record that begins with
// the date key of a date a calendar file can hold, its line breaks as "\n". Other lines are not
// memos; records of other dates (a hand edit's) are named as left out.
Memos memosOf(QByteArrayView bytes)
{
    Memos found;
    fieldreader::forEachField(bytes, [&](QByteArrayView field) {
        if (!record::beginsWithDateKey(field))
            return;
        const QString item = cp932::decode(field).text;
        const QString key = item.first(8);
        const QDate date(key.first(4).toInt(), key.sliced(4, 2).toInt(), key.sliced(6, 2).toInt());
        if (!date.isValid()) {
            found.leftOut.append(messages::icsNoSuchDate(key));
            return;
        }
        if (!icalendar::canWrite(date)) {
            found.leftOut.append(messages::icsDateOutOfRange(key));
            return;
        }
        QString text = record::memoOf(item).toString();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        found.memos.append({date, text, record::alarmOn(item)});
    });
    return found;
}

void runHere(const std::function<void()> &work)
{
    work();
}

} // namespace

QString proposedName(const QString &schedulePath)
{
    if (schedulePath.isEmpty())
        return QStringLiteral("ｽｹｼﾞｭｰﾙ.ics");
    const QFileInfo file(schedulePath);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral(".ics"));
}

bool exportSchedules(Platform &platform, const StoreOptions &options, const dirs::Runner &run)
{
    const dirs::Runner &runWork = run ? run : runHere;
    const QString path = dirs::schedulePath(platform);
    if (path.isEmpty()) {
        platform.showMessage(messages::scheduleFileNotSet(), messages::applicationTitle());
        return false;
    }
    schedulefile::Bytes file;
    Memos found;
    runWork([&] {
        file = schedulefile::readBytes(path);
        if (file.status != schedulefile::Status::Unreadable)
            found = memosOf(file.bytes);
    });
    if (file.status == schedulefile::Status::Unreadable) {
        platform.showMessage(messages::fileUnreadable(path, file.error),
                             messages::applicationTitle());
        return false;
    }
    file.bytes = QByteArray();
    if (found.memos.isEmpty()) {
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
    const QDate today = platform.today();
    savefile::Result saved;
    runWork([&] {
        saved = savefile::save(target.path, icalendar::format(found.memos, today), options);
    });
    if (!saved.ok) {
        platform.showMessage(messages::icsFileNotWritten(*chosen, saved.error),
                             messages::applicationTitle());
        return false;
    }
    platform.showMessage(messages::icsExportDone(found.memos.size(), *chosen, found.leftOut),
                         messages::applicationTitle());
    return true;
}

} // namespace icsexport
