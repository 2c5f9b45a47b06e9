#pragma once

// iCalendar text (the .ics files of calendar programs) in and out, through libical. Memos go
// out as all-day events; the events of a calendar come in as dated texts. Nothing here touches
// a file: the callers read and write the bytes (icalendar/icsexport.h, icalendar/icsimport.h).

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include <optional>

namespace icalendar {

// A memo as an event: its date, its text with line breaks as "\n", and its alarm flag.
struct Memo
{
    QDate date;
    QString text;
    bool alarm = false;

    friend bool operator==(const Memo &, const Memo &) = default;
};

// The line that names a memo in a calendar (its summary): the first line that holds more than
// blanks, or the first line when none does.
QString summaryOf(const QString &text);

// Returns: a calendar in UTF-8 with one all-day event per memo, in the order given: DTSTART
// and DTEND as dates, SUMMARY the memo's summary line, DESCRIPTION the whole memo, a UID made
// from the memo's date and text (a second export gives the same UID, so that a calendar that
// imports it again updates the event instead of adding a copy), DTSTAMP `stamp` at midnight UTC,
// and for a memo with the alarm a display alarm at 09:00 of its day. A memo that begins with a
// local time and a space, as parse() writes a timed event ("10:00 会議"), is an event at that
// time instead (DTSTART in UTC, no end), its text without the time, its alarm no later than
// its start. Lines end in CR LF and are
// folded at 75 octets; control characters other than tabs and line breaks are not written.
// A memo's UID from elsewhere (the calendar it came from), or "" for the one made from it.
using KeptUid = std::function<QString(const Memo &memo)>;
QByteArray format(const QList<Memo> &memos, QDate stamp, const KeptUid &keptUid = {});

// Returns: a calendar holding the one event of `memo`, as format() writes it, under `uid`: a
// resource of a calendar on a server, whose UID stays when the memo changes.
QByteArray formatEvent(const Memo &memo, const QString &uid, QDate stamp);

// Whether format() can write a memo of `date`: libical writes all-day dates from 0001-01-02 to
// 3000-12-31, and an event ends on the day after its own.
bool canWrite(QDate date);

// An event that was not taken, described for the user.
struct LeftOut
{
    QString event;  // its date and summary, "2026/12/07 会議"
    QString reason; // why, one sentence
};

struct Parsed
{
    bool isCalendar = false; // the text held a calendar or an event
    QList<Memo> memos;       // the occurrences taken, in the order of the file
    QStringList uids;        // the UID of each memo's event, "" when it had none
    QList<LeftOut> leftOut;
};

// At most this many occurrences of one repeating event are taken.
inline constexpr int occurrenceLimit = 1000;

// Reads the events (VEVENT) of `ics`, a calendar in UTF-8:
//  - an all-day event is a memo on its first day;
//  - a timed event is a memo on the day it starts in the local time zone, its text beginning
//    with the local start time, "10:00 会議";
//  - a repeating event (its start, RRULE and every RDATE, a period by its start, less EXDATE
//    and the occurrences a RECURRENCE-ID event replaces) gives a memo for each occurrence from
//    `first` to `last`, up to occurrenceLimit;
//  - the text is the summary, followed on the next lines by the description unless the
//    description already begins with the summary line; the alarm is on when the event has an
//    alarm and the occurrence falls on `alarmsFrom` (today) or later: a reminder is for what is
//    still to come, and each past one would be told at every start.
// Events outside `first`..`last`, cancelled ones and those without a date or any text are
// left out, with the reason.
Parsed parse(QByteArrayView ics, QDate first, QDate last, QDate alarmsFrom);

// One resource of a calendar on a server: a calendar that should hold one event.
struct Resource
{
    QString uid;
    // The event as a memo, as parse() reads it, alarm flag included whatever its date; none when
    // the memo would not be the event: a repeating event, one of several days, one outside
    // `first`..`last`, one without date or text, or no event at all. `leftOut` says why.
    std::optional<Memo> memo;
    LeftOut leftOut;
};

Resource readResource(QByteArrayView ics, QDate first, QDate last);

} // namespace icalendar
