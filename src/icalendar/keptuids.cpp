#include "icalendar/keptuids.h"

#include "common/linebreaks.h"
#include "common/statefolder.h"
#include "store/cp932.h"
#include "store/savefile.h"
#include "store/schedulefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace keptuids {

namespace {

// More than any calendar a user imports: the file stays of a bounded size.
constexpr qsizetype maxKept = 200000;
constexpr qsizetype keyLength = 64;

// The memo as the schedule file gives it back (〜 as ～, line breaks as line feeds): the export
// reads the file, not the event.
QByteArray keyOf(const icalendar::Memo &memo)
{
    QString stored = memo.text;
    stored.replace(u'\n', QStringLiteral("\r\n"));
    const QString text = withLineFeeds(cp932::decode(cp932::encode(stored).bytes).text).trimmed();
    return QCryptographicHash::hash(memo.date.toString(QStringLiteral("yyyyMMdd")).toLatin1() + '\n'
                                            + text.toUtf8(),
                                    QCryptographicHash::Sha256)
            .toHex();
}

bool isUid(const QString &uid)
{
    return !uid.isEmpty() && uid.size() <= 1000 && !uid.contains(u'\n') && !uid.contains(u'\r');
}

} // namespace

QString defaultPath()
{
    return stateFolder() + QStringLiteral("/imported-uids");
}

KeptUids KeptUids::load(const QString &path)
{
    KeptUids kept;
    const schedulefile::Bytes file = schedulefile::readBytes(path);
    if (file.status != schedulefile::Status::Present)
        return kept;
    // "key uid" a line.
    for (const QByteArray &line : file.bytes.split('\n')) {
        if (line.size() <= keyLength + 1 || line[keyLength] != ' ')
            continue;
        const QString uid = QString::fromUtf8(line.sliced(keyLength + 1));
        if (isUid(uid))
            kept.m_uids.insert(line.first(keyLength), uid);
    }
    return kept;
}

void KeptUids::keep(const icalendar::Parsed &parsed)
{
    QHash<QString, int> occurrences;
    for (const QString &uid : parsed.uids)
        ++occurrences[uid];
    for (qsizetype k = 0; k < parsed.memos.size() && k < parsed.uids.size(); ++k) {
        const QString &uid = parsed.uids[k];
        if (isUid(uid) && occurrences.value(uid) == 1)
            m_uids.insert(keyOf(parsed.memos[k]), uid);
    }
}

QString KeptUids::uidOf(const icalendar::Memo &memo) const
{
    return m_uids.value(keyOf(memo));
}

bool KeptUids::save(const QString &path) const
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QByteArray bytes;
    qsizetype written = 0;
    for (auto it = m_uids.cbegin(); it != m_uids.cend() && written < maxKept; ++it, ++written)
        bytes += it.key() + ' ' + it.value().toUtf8() + '\n';
    return savefile::save(path, bytes).ok;
}

} // namespace keptuids
