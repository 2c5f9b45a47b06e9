#pragma once

// A memo record of the schedule file as an event of a calendar on a server, and back. A record
// goes out as the calendar export writes it (icalendar/icalendar.h), under a UID of its own
// that stays when the memo changes; an event comes in as the import reads it, or stays on the
// server when the file cannot hold it exactly.

#include "icalendar/icalendar.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

namespace eventmap {

// The years whose memos are synced: those the calendar shows.
inline constexpr int firstYear = 1980;
inline constexpr int lastYear = 2069;

// The memo of a record "yyyymmddFmemo" as an event holds it; none for a record that is no event
// (no such date, a year outside the calendar's, no text).
std::optional<icalendar::Memo> memoOf(const QString &record);

// The calendar text of a record's event, for memoOf(record) holding a memo.
QByteArray eventOf(const QString &record, const QString &uid, QDate stamp);

// An event of the server as the file would hold it.
struct Incoming
{
    QString uid;
    QString record; // as the file reads it back; empty when the event stays on the server
    icalendar::LeftOut leftOut; // why it stays there
};

Incoming recordOf(QByteArrayView ics);

// What makes a memo here and an event there the same one: the date and the text, with line
// breaks as line feeds and without the blanks around it; the alarm aside.
QString matchKey(const QString &record);

} // namespace eventmap
