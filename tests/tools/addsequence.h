#pragma once

// The known sequence of memos that the fault tests and rekova_addtool agree on: memo n goes on
// its own date, 1 January 2061 plus n days, so no add replaces another and, on a file whose
// records all lie before 2061, each add appends one line at the end.

#include "store/dirs.h"

#include <QByteArray>
#include <QDate>

namespace addsequence {

inline QDate dateOf(int n)
{
    return QDate(2061, 1, 1).addDays(n);
}

// Memo n: 会議 and the number, alarm on for odd n.
inline dirs::AddRequest request(int n)
{
    const QDate date = dateOf(n);
    dirs::AddRequest add;
    add.year = date.year();
    add.month = date.month();
    add.day = date.day();
    add.memo = QStringLiteral("会議") + QString::number(n);
    add.alarm = n % 2 == 1;
    return add;
}

// The line the file must hold for memo n, spelled out in bytes (会議 is 89EF 8B63 in CP932).
inline QByteArray fileLine(int n)
{
    return '"' + dateOf(n).toString(QStringLiteral("yyyyMMdd")).toLatin1()
            + (n % 2 == 1 ? '1' : '0') + QByteArray("\x89\xEF\x8B\x63") + QByteArray::number(n)
            + "\"\r\n";
}

} // namespace addsequence
