#pragma once

// What a calendar sync remembers between runs, in a file of its own beside the memo file's
// settings (the memo file keeps its format): the calendar's sync token and, for every event
// of the calendar it knows, its path, ETag and UID, and the memo as it was at the last sync, or
// why the event stays on the server only. The file is replaced whole and atomically.

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <QUrl>

namespace syncstate {

struct Item
{
    QString href; // the event's path, percent-decoded
    QByteArray etag;
    QString uid;
    // The memo as the file held it at the last sync, "yyyymmddFmemo" with CR LF line breaks;
    // empty for an event the file cannot hold, which `leftEvent` and `leftReason` describe.
    QString record;
    QString leftEvent;
    QString leftReason;

    bool heldHere() const { return !record.isEmpty(); }
    friend bool operator==(const Item &, const Item &) = default;
};

struct State
{
    QString calendar;          // the calendar's URL; a state of another calendar is not used
    QByteArray token;          // empty: the next sync lists the whole calendar
    QMap<QString, Item> items; // by href
    // Events made here after the token was taken: a server's changes since the token may leave
    // out one of them that was deleted again, so they are looked at by name.
    QSet<QString> created;
};

// $XDG_STATE_HOME/rekova, by default ~/.local/state/rekova.
QString defaultFolder();

// The state file in `folder` for the memo file at `memoFile` (links followed) and `calendar`.
QString pathFor(const QString &folder, const QString &memoFile, const QUrl &calendar);

// The state in the file at `path`; an empty state when there is none or it cannot be read.
State load(const QString &path);

// Replaces the file at `path` with `state`, creating its folder. Returns: false, with the
// reason in `error`, when it could not be written; the old file is then as it was.
bool save(const QString &path, const State &state, QString &error);

} // namespace syncstate
