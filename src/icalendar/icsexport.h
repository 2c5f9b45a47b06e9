#pragma once

// Writing every memo out to a calendar file (.ics) that calendar programs import: one all-day
// event per record (icalendar/icalendar.h). The schedule file itself is only read.

#include "icalendar/icalendar.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace icsexport {

// Returns: the name the save dialog proposes: the schedule file's name with ".ics" in place of
// its extension, in its folder.
QString proposedName(const QString &schedulePath);

// Whether two paths name one file.
bool isSameFile(const QString &a, const QString &b);

struct Memos
{
    QList<icalendar::Memo> memos;
    QStringList leftOut; // a line for each record that cannot be an event, and why
};

// Returns: the memos of the schedule file's bytes, in file order: every record that begins with
// the date key of a date a calendar file can hold, its line breaks as "\n". Other lines are not
// memos; records of other dates (a hand edit's) are named as left out.
Memos memosOf(QByteArrayView bytes);

} // namespace icsexport
