#include "calendar/announced.h"

QList<qsizetype> AnnouncedNotices::takeNew(const rekovabas::AlarmNotices &notices)
{
    QList<qsizetype> fresh;
    QHash<QByteArray, qsizetype> inThisCheck;
    for (qsizetype i = 0; i < notices.size(); ++i) {
        const QByteArray record = notices.record(i).toByteArray();
        const qsizetype count = ++inThisCheck[record];
        qsizetype &shown = m_shown[record];
        if (count > shown) {
            shown = count;
            fresh.append(i);
        }
    }
    return fresh;
}
