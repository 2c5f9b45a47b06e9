#pragma once

// The alarm notices shown in this run. Start-up shows every notice that is due; a check after
// a change of date shows only those not shown before: the ones that fell due since, and those
// of memos added meanwhile. A record is known by its bytes, so a memo that was changed is a new
// notice, and a record that the file holds twice is two notices.

#include "calendar/rekovabas.h"

#include <QByteArray>
#include <QHash>
#include <QList>

class AnnouncedNotices
{
public:
    // Returns: the indexes of the notices not shown yet, in order; from now on they count as
    // shown.
    QList<qsizetype> takeNew(const rekovabas::AlarmNotices &notices);

private:
    QHash<QByteArray, qsizetype> m_shown; // a record's bytes → how many of it were shown
};
