#include "icalendar/icsexport.h"

#include "common/linebreaks.h"
#include "common/messages.h"
#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/posix.h"
#include "store/record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace icsexport {

namespace { } // namespace

bool isSameFile(const QString &a, const QString &b)
{
    return posix::sameFile(posix::fileStatus(QFile::encodeName(a)),
                           posix::fileStatus(QFile::encodeName(b)));
}

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
        found.memos.append({date, withLineFeeds(record::memoOf(item)), record::alarmOn(item)});
    });
    return found;
}

QString proposedName(const QString &schedulePath)
{
    if (schedulePath.isEmpty())
        return QStringLiteral("ｽｹｼﾞｭｰﾙ.ics");
    const QFileInfo file(schedulePath);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral(".ics"));
}

} // namespace icsexport
