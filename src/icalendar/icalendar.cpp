#include "icalendar/icalendar.h"

#include "common/linebreaks.h"
#include "common/messages.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QTime>

#include <libical/ical.h>

#include <memory>
#include <set>

namespace icalendar {

namespace {

// Every repeating event stops after this many steps of its rule, taken or not: a rule that
// repeats by the second over decades must not hold the program for minutes.
constexpr int stepLimit = 200000;
// How far before the calendar's first day a repeat with a count may start.
constexpr int countedYearsBefore = 200;

// libical frees a component's children by recursion, one call deep for each level: a calendar
// nested a few hundred thousand levels deep (a few megabytes of BEGIN lines) would overflow the
// stack. The deepest component goes first, so that each free has no child left to recurse into.
void freeComponent(icalcomponent *root)
{
    icalcomponent *current = root;
    for (;;) {
        if (icalcomponent *child = icalcomponent_get_first_component(current, ICAL_ANY_COMPONENT)) {
            current = child;
            continue;
        }
        if (current == root)
            return icalcomponent_free(root);
        icalcomponent *parent = icalcomponent_get_parent(current);
        icalcomponent_remove_component(parent, current);
        icalcomponent_free(current);
        current = parent;
    }
}

struct ComponentFree
{
    void operator()(icalcomponent *component) const { freeComponent(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

struct IteratorFree
{
    void operator()(icalrecur_iterator *iterator) const { icalrecur_iterator_free(iterator); }
};

QString fromLibical(const char *text)
{
    return withLineFeeds(QString::fromUtf8(text ? text : ""));
}

QString dateLine(QDate date)
{
    return messages::dateOf(date);
}

icaltimetype dateValue(QDate date)
{
    icaltimetype value = icaltime_null_date();
    value.year = date.year();
    value.month = date.month();
    value.day = date.day();
    return value;
}

// `value` moved to `date`, with its time of day and zone.
icaltimetype onDay(icaltimetype value, QDate date)
{
    value.year = date.year();
    value.month = date.month();
    value.day = date.day();
    return value;
}

// When an occurrence starts, as far as this program cares: its local date and, for a timed
// one, its local time of day.
struct Start
{
    QDate date;
    std::optional<QTime> time;
};

// A floating time is the wall time wherever the user is; a time in UTC or in a zone is turned
// into the local time of this machine.
Start localStart(icaltimetype value)
{
    if (icaltime_is_null_time(value))
        return {};
    const QDate date(value.year, value.month, value.day);
    if (value.is_date)
        return {date, std::nullopt};
    const bool floating = value.zone == nullptr && !icaltime_is_utc(value);
    if (floating || !date.isValid())
        return {date, QTime(value.hour, value.minute, value.second)};
    const icaltimezone *zone = value.zone ? value.zone : icaltimezone_get_utc_timezone();
    const QDateTime local = QDateTime::fromSecsSinceEpoch(
            qint64(icaltime_as_timet_with_zone(value, zone)), Qt::LocalTime);
    return {local.date(), local.time()};
}

bool repeatsWithinADay(icalrecurrencetype_frequency frequency)
{
    return frequency == ICAL_SECONDLY_RECURRENCE || frequency == ICAL_MINUTELY_RECURRENCE
            || frequency == ICAL_HOURLY_RECURRENCE;
}

// libical works out every change of a time zone's offset from the zone's rules, from their start
// to the year asked, before it converts one time: a rule by the minute makes tens of millions of
// changes and holds the program for minutes or takes all memory. No real zone changes its offset
// within a day: such a rule is dropped, and the zone keeps the offset it starts with.
void dropZoneRulesWithinADay(icalcomponent *calendar)
{
    QList<std::pair<icalcomponent *, icalproperty *>> dropped;
    for (icalcomponent *zone
         = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT);
         zone; zone = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
        for (icalcomponent *part = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT);
             part; part = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
            for (icalproperty *rule = icalcomponent_get_first_property(part, ICAL_RRULE_PROPERTY);
                 rule; rule = icalcomponent_get_next_property(part, ICAL_RRULE_PROPERTY)) {
                if (repeatsWithinADay(icalproperty_get_rrule(rule).freq))
                    dropped.append({part, rule});
            }
        }
    }
    for (const auto &[part, rule] : dropped) {
        icalcomponent_remove_property(part, rule);
        icalproperty_free(rule);
    }
}

// One moment as a key that is equal for the same occurrence written in different zones.
qint64 instantOf(icaltimetype value)
{
    if (value.is_date)
        return QDate(value.year, value.month, value.day).toJulianDay();
    const icaltimezone *zone = value.zone ? value.zone : icaltimezone_get_utc_timezone();
    return qint64(icaltime_as_timet_with_zone(value, zone));
}

// An occurrence matches an excluded date when their days agree (EXDATE;VALUE=DATE) or when
// they are the same moment.
struct Exclusions
{
    QSet<qint64> days;
    std::set<qint64> moments;

    void add(icaltimetype value)
    {
        if (icaltime_is_null_time(value))
            return;
        if (value.is_date)
            days.insert(QDate(value.year, value.month, value.day).toJulianDay());
        else
            moments.insert(instantOf(value));
    }
    bool contains(icaltimetype value) const
    {
        if (days.contains(QDate(value.year, value.month, value.day).toJulianDay()))
            return true;
        return !value.is_date && moments.count(instantOf(value)) > 0;
    }
};

// The occurrences of repeating events that an event of their UID with a RECURRENCE-ID
// replaces, found before any event is read.
using Replaced = QHash<QString, Exclusions>;

Replaced replacedOccurrences(icalcomponent *calendar)
{
    Replaced replaced;
    for (icalcomponent *event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        icalproperty *id = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
        if (!id)
            continue;
        replaced[fromLibical(icalcomponent_get_uid(event))].add(
                icalproperty_get_datetime_with_component(id, event));
    }
    return replaced;
}

struct PropertyFree
{
    void operator()(icalproperty *property) const { icalproperty_free(property); }
};

// The start of an extra date (RDATE): a date, a time, or a period from its start, each in the
// zone the property names.
icaltimetype extraStart(icalproperty *extra, icalcomponent *event)
{
    const icalvalue *value = icalproperty_get_value(extra);
    if (!value || icalvalue_isa(value) != ICAL_PERIOD_VALUE)
        return icalproperty_get_datetime_with_component(extra, event);
    std::unique_ptr<icalproperty, PropertyFree> start(icalproperty_new_clone(extra));
    icalproperty_set_value(start.get(), icalvalue_new_datetime(icalvalue_get_period(value).start));
    return icalproperty_get_datetime_with_component(start.get(), event);
}

QString memoText(icalcomponent *event)
{
    const QString summary = fromLibical(icalcomponent_get_summary(event));
    const QString description = fromLibical(icalcomponent_get_description(event));
    if (description.isEmpty())
        return summary;
    if (summary.isEmpty() || summaryOf(description).trimmed() == summary.trimmed())
        return description;
    return summary + u'\n' + description;
}

class Reader
{
public:
    Reader(QDate first, QDate last, QDate alarmsFrom)
        : m_first(first), m_last(last), m_alarmsFrom(alarmsFrom)
    { }

    void readCalendar(icalcomponent *calendar)
    {
        dropZoneRulesWithinADay(calendar);
        const Replaced replaced = replacedOccurrences(calendar);
        for (icalcomponent *event
             = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event; event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
            readEvent(event, replaced.value(fromLibical(icalcomponent_get_uid(event))));
    }

    // An event beside the calendars of a file, in none of them: named, not read.
    void leaveOutStray(icalcomponent *event)
    {
        leaveOut(labelOf(event, memoText(event)).trimmed(), messages::icsOutsideCalendar());
    }

    void readEvent(icalcomponent *event, const Exclusions &replaced)
    {
        m_uid = fromLibical(icalcomponent_get_uid(event));
        const QString text = memoText(event);
        const icaltimetype start = icalcomponent_get_dtstart(event);
        const QString label = labelOf(event, text);
        if (icaltime_is_null_time(start) || !localStart(start).date.isValid())
            return leaveOut(label.trimmed(), messages::icsNoDate());
        if (text.isEmpty())
            return leaveOut(label, messages::icsNoText());
        if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
            return leaveOut(label, messages::icsCancelled());
        const bool alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);

        icalproperty *rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        // A component has one property iterator for every kind: each kind is read in full
        // before the next is asked for. libical gives each value of a list its own property.
        bool hasExtra = false;
        QList<icaltimetype> extra;
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
            hasExtra = true;
            if (const icaltimetype value = extraStart(p, event); !icaltime_is_null_time(value))
                extra.append(value);
        }
        const bool repeats = (rule || hasExtra)
                && !icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
        if (!repeats) {
            if (!take(start, text, alarm))
                leaveOut(label, messages::icsOutsideRange(m_first.year(), m_last.year()));
            return;
        }

        Exclusions excluded = replaced;
        for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY))
            excluded.add(icalproperty_get_datetime_with_component(p, event));

        int taken = 0;
        // A date the rule gives and an extra date name the same occurrence once.
        std::set<std::pair<bool, qint64>> offered;
        const auto offer = [&](icaltimetype occurrence) {
            if (excluded.contains(occurrence)
                || !offered.insert({occurrence.is_date != 0, instantOf(occurrence)}).second)
                return true;
            if (taken == occurrenceLimit) {
                if (localStart(occurrence).date <= m_last)
                    leaveOut(label,
                             messages::icsTooManyOccurrences(
                                     occurrenceLimit, dateLine(localStart(occurrence).date)));
                return false;
            }
            if (take(occurrence, text, alarm))
                ++taken;
            return true;
        };

        // The event's own start is an occurrence; a rule gives it as its first.
        bool more = rule || offer(start);
        if (rule) {
            icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
            // libical looks for the next match inside one call, up to the year 2582, so a rule
            // by the hour or finer that never matches would hold the program for minutes. A
            // memo is for a day: such an event gives its first day only.
            if (repeatsWithinADay(recurrence.freq)) {
                take(start, text, alarm);
                return leaveOut(label, messages::icsRepeatsWithinADay());
            }
            // Counted occurrences are counted from the event's own start, which libical walks
            // to day by day inside one call: from centuries back, seconds for one event.
            if (recurrence.count != 0
                && localStart(start).date < m_first.addYears(-countedYearsBefore))
                return leaveOut(label, messages::icsCountedFromLongAgo(countedYearsBefore));
            // The search for a match stops at UNTIL: no later than the calendar's last day.
            const icaltimetype end = onDay(start, m_last.addDays(1));
            if (icaltime_is_null_time(recurrence.until)
                || icaltime_compare(recurrence.until, end) > 0)
                recurrence.until = end;
            std::unique_ptr<icalrecur_iterator, IteratorFree> iterator(
                    icalrecur_iterator_new(recurrence, start));
            // ... and starts no earlier than the first day, unless the occurrences are counted
            // from the event's own start.
            if (iterator && recurrence.count == 0 && localStart(start).date < m_first)
                icalrecur_iterator_set_start(iterator.get(), onDay(start, m_first.addDays(-1)));
            for (int step = 0; iterator && more && step < stepLimit; ++step) {
                icaltimetype occurrence = icalrecur_iterator_next(iterator.get());
                if (icaltime_is_null_time(occurrence))
                    break;
                occurrence.zone = start.zone;
                if (localStart(occurrence).date > m_last)
                    break;
                more = offer(occurrence);
            }
        }
        for (qsizetype k = 0; k < extra.size() && more; ++k)
            more = offer(extra[k]);
        if (taken == 0 && more)
            leaveOut(label, messages::icsOutsideRange(m_first.year(), m_last.year()));
    }

    Parsed parsed;

private:
    static QString labelOf(icalcomponent *event, const QString &text)
    {
        return dateLine(localStart(icalcomponent_get_dtstart(event)).date) + u' ' + summaryOf(text);
    }

    // Returns: false when the occurrence falls outside the calendar's days.
    bool take(icaltimetype occurrence, const QString &text, bool alarm)
    {
        const Start local = localStart(occurrence);
        if (!local.date.isValid() || local.date < m_first || local.date > m_last)
            return false;
        QString memo = text;
        if (local.time)
            memo = local.time->toString(QStringLiteral("HH:mm")) + u' ' + text;
        parsed.memos.append({local.date, memo, alarm && local.date >= m_alarmsFrom});
        parsed.uids.append(m_uid);
        return true;
    }

    void leaveOut(const QString &event, const QString &reason)
    {
        parsed.leftOut.append({event, reason});
    }

    QDate m_first;
    QDate m_last;
    QDate m_alarmsFrom;
    QString m_uid; // of the event being read
};

} // namespace

QString summaryOf(const QString &text)
{
    const QStringList lines = text.split(u'\n');
    for (const QString &line : lines) {
        if (!line.trimmed().isEmpty())
            return line;
    }
    return lines.constFirst();
}

namespace {

// Returns: the UID of the memo, made from its date and text. `occurrence` tells apart memos of
// one date with the same text (1 for the first).
QString uidOf(const Memo &memo, int occurrence)
{
    const QByteArray key
            = memo.date.toString(QStringLiteral("yyyyMMdd")).toLatin1() + '\n' + memo.text.toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    QString uid = memo.date.toString(QStringLiteral("yyyyMMdd")) + u'-'
            + QString::fromLatin1(hash.left(32));
    if (occurrence > 1)
        uid += u'-' + QString::number(occurrence);
    return uid + QStringLiteral("@rekova");
}

// A text as UTF-8 for libical, without the control characters a calendar's text cannot hold
// (line feeds, which libical escapes, and tabs stay).
QByteArray textValue(QString text)
{
    text.removeIf([](QChar c) {
        return (c.unicode() < 0x20 && c != u'\n' && c != u'\t') || c.unicode() == 0x7F;
    });
    return text.toUtf8();
}

// libical folds a line that ends exactly at its 75th octet between the CR and the LF of its
// end: its lines are unfolded (it folds with CR LF and a space only, and writes no CR of its
// own inside a line) and folded again, at most 75 octets, never inside a UTF-8 character.
QByteArray refolded(QByteArray text)
{
    constexpr qsizetype lineLimit = 75;
    text.replace("\r\n ", "");
    QByteArray lines;
    lines.reserve(text.size() + text.size() / 24);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf("\r\n", start);
        if (end < 0)
            end = text.size();
        qsizetype limit = lineLimit;
        for (qsizetype k = start; k < end;) {
            qsizetype cut = qMin(end, k + limit);
            // A UTF-8 continuation byte is 10xxxxxx: the cut goes before its lead byte.
            while (cut < end && cut > k && (uchar(text[cut]) & 0xC0) == 0x80)
                --cut;
            if (cut == k) // no lead byte: not UTF-8, cut anywhere
                cut = qMin(end, k + limit);
            if (k > start)
                lines += "\r\n ";
            lines += QByteArrayView(text).sliced(k, cut - k);
            k = cut;
            limit = lineLimit - 1; // the space in front counts
        }
        lines += "\r\n";
        start = end + 2;
    }
    return lines;
}

} // namespace

// A memo that begins with a time of day and a space, as a timed event comes in ("10:00 会議"),
// and more than blanks after it: the time and the rest of the text.
std::optional<std::pair<QTime, QString>> timedMemo(const QString &text)
{
    static const QRegularExpression time(QStringLiteral("^([01][0-9]|2[0-3]):([0-5][0-9]) "));
    const QRegularExpressionMatch match = time.match(text);
    if (!match.hasMatch() || text.sliced(match.capturedLength()).trimmed().isEmpty())
        return std::nullopt;
    return std::pair {QTime(match.captured(1).toInt(), match.captured(2).toInt()),
                      text.sliced(match.capturedLength())};
}

// `time` of `date` in this machine's time zone, in UTC.
icaltimetype utcValue(QDate date, QTime time)
{
    const QDateTime utc = QDateTime(date, time, Qt::LocalTime).toUTC();
    icaltimetype value = dateValue(utc.date());
    value.is_date = 0;
    value.hour = utc.time().hour();
    value.minute = utc.time().minute();
    value.second = utc.time().second();
    return icaltime_set_timezone(&value, icaltimezone_get_utc_timezone());
}

bool canWrite(QDate date)
{
    return date >= QDate(1, 1, 2) && date < QDate(3000, 12, 31);
}

namespace {

Component newCalendar()
{
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//rekova//rekova//JA"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    return calendar;
}

icaltimetype stampOf(QDate stamp)
{
    icaltimetype value = dateValue(stamp);
    value.is_date = 0;
    value.hour = value.minute = value.second = 0;
    return icaltime_set_timezone(&value, icaltimezone_get_utc_timezone());
}

void addEvent(icalcomponent *calendar, const Memo &memo, const QString &uid, icaltimetype stamp)
{
    const auto timed = timedMemo(memo.text);
    const QString &text = timed ? timed->second : memo.text;
    const QByteArray summary = textValue(summaryOf(text));
    icalcomponent *event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.toUtf8().constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    // The alarm is at 09:00 of the day, or at the start of an event that starts before.
    int alarmAfterStart = 9 * 60 * 60;
    if (timed) {
        // A timed event that came in goes out at its time, which the import reads back to
        // the same memo; without an end it ends as it starts.
        icalcomponent_add_property(event,
                                   icalproperty_new_dtstart(utcValue(memo.date, timed->first)));
        alarmAfterStart = qMin(0, alarmAfterStart - timed->first.msecsSinceStartOfDay() / 1000);
    } else {
        icalcomponent_add_property(event, icalproperty_new_dtstart(dateValue(memo.date)));
        icalcomponent_add_property(event, icalproperty_new_dtend(dateValue(memo.date.addDays(1))));
    }
    icalcomponent_add_property(event, icalproperty_new_summary(summary.constData()));
    icalcomponent_add_property(event, icalproperty_new_description(textValue(text).constData()));
    // All-day events take no time of their own: transparent, as calendars make them.
    if (!timed)
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    if (memo.alarm) {
        icalcomponent *alarm = icalcomponent_new_valarm();
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger {};
        trigger.time = icaltime_null_time();
        trigger.duration = icaldurationtype_from_int(alarmAfterStart);
        icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_property(alarm, icalproperty_new_description(summary.constData()));
        icalcomponent_add_component(event, alarm);
    }
    icalcomponent_add_component(calendar, event);
}

QByteArray textOf(icalcomponent *calendar)
{
    char *text = icalcomponent_as_ical_string_r(calendar);
    QByteArray bytes(text ? text : "");
    icalmemory_free_buffer(text);
    return refolded(std::move(bytes));
}

} // namespace

QByteArray format(const QList<Memo> &memos, QDate stamp, const KeptUid &keptUid)
{
    Component calendar = newCalendar();
    const icaltimetype stampValue = stampOf(stamp);
    QHash<QString, int> seen;
    QSet<QString> used;
    for (const Memo &memo : memos) {
        QString uid = keptUid ? keptUid(memo) : QString();
        // A UID names one event: a second memo of the same text and date gets one of its own.
        if (uid.isEmpty() || used.contains(uid))
            uid = uidOf(memo, ++seen[uidOf(memo, 1)]);
        used.insert(uid);
        addEvent(calendar.get(), memo, uid, stampValue);
    }
    return textOf(calendar.get());
}

QByteArray formatEvent(const Memo &memo, const QString &uid, QDate stamp)
{
    Component calendar = newCalendar();
    addEvent(calendar.get(), memo, uid, stampOf(stamp));
    return textOf(calendar.get());
}

Resource readResource(QByteArrayView ics, QDate first, QDate last)
{
    Resource resource;
    const QByteArray text = ics.toByteArray();
    Component root(icalparser_parse_string(text.constData()));
    if (!root || icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT) {
        resource.leftOut = {QString(), messages::syncNotAnEvent()};
        return resource;
    }
    int events = 0;
    icalcomponent *event = nullptr;
    for (icalcomponent *each = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT);
         each; each = icalcomponent_get_next_component(root.get(), ICAL_VEVENT_COMPONENT)) {
        if (++events == 1)
            event = each;
    }
    if (!event) {
        resource.leftOut = {QString(), messages::syncNotAnEvent()};
        return resource;
    }
    resource.uid = fromLibical(icalcomponent_get_uid(event));
    const icaltimetype start = icalcomponent_get_dtstart(event);
    const Start from = localStart(start);
    resource.leftOut.event = dateLine(from.date) + u' ' + summaryOf(memoText(event)).trimmed();
    // Several events under one UID are a repeat with its exceptions.
    const bool repeats = events > 1 || icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)
            || icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)
            || icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
    if (repeats) {
        resource.leftOut.reason = messages::syncRepeats();
        return resource;
    }
    const icaltimetype end = icalcomponent_get_dtend(event);
    if (!icaltime_is_null_time(end) && from.date.isValid()) {
        const Start until = localStart(end);
        // An all-day end is the day after; a timed one may end at midnight.
        const QDate lastDay = start.is_date || (until.time && *until.time == QTime(0, 0))
                ? until.date.addDays(-1)
                : until.date;
        if (lastDay > from.date) {
            resource.leftOut.reason = messages::syncSeveralDays();
            return resource;
        }
    }
    Parsed parsed = parse(ics, first, last, QDate(1, 1, 1));
    if (parsed.memos.size() == 1) {
        resource.memo = parsed.memos.constFirst();
        return resource;
    }
    if (!parsed.leftOut.isEmpty())
        resource.leftOut = parsed.leftOut.constFirst();
    else
        resource.leftOut.reason = messages::syncNotAnEvent();
    return resource;
}

Parsed parse(QByteArrayView ics, QDate first, QDate last, QDate alarmsFrom)
{
    // The parser reads up to a NUL: keep the text to its first one.
    const QByteArray text = ics.toByteArray();
    Component root(icalparser_parse_string(text.constData()));
    Reader reader(first, last, alarmsFrom);
    if (!root)
        return reader.parsed;

    switch (icalcomponent_isa(root.get())) {
    case ICAL_VCALENDAR_COMPONENT:
        reader.parsed.isCalendar = true;
        reader.readCalendar(root.get());
        break;
    case ICAL_XROOT_COMPONENT: // several calendars (or events) one after the other
        for (icalcomponent *part
             = icalcomponent_get_first_component(root.get(), ICAL_ANY_COMPONENT);
             part; part = icalcomponent_get_next_component(root.get(), ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(part);
            if (kind == ICAL_VCALENDAR_COMPONENT)
                reader.readCalendar(part);
            else if (kind == ICAL_VEVENT_COMPONENT)
                reader.leaveOutStray(part);
            else
                continue;
            reader.parsed.isCalendar = true;
        }
        break;
    case ICAL_VEVENT_COMPONENT:
        reader.parsed.isCalendar = true;
        reader.readEvent(root.get(), {});
        break;
    default:
        break;
    }
    return reader.parsed;
}

} // namespace icalendar
