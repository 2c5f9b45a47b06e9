#pragma once

// The UIDs of imported events, kept beside the memo file's state: the memo file holds only a
// date and a text, so without them a memo that came from another calendar would go out again,
// at the next export, as a new event beside its original. A memo keeps its event's UID while
// its date and text are as they came in; once it is changed, it goes out as a new event.

#include "icalendar/icalendar.h"

#include <QHash>
#include <QString>

namespace keptuids {

// The file they are kept in.
QString defaultPath();

class KeptUids
{
public:
    // Reads the file at `path`; a missing or damaged one holds nothing (it only saves an export
    // from making a duplicate).
    static KeptUids load(const QString &path);

    // Keeps the UID of each memo of `parsed` whose event gave it alone (a repeating event gives
    // every occurrence one UID, which names one event: those go out with UIDs of their own).
    void keep(const icalendar::Parsed &parsed);
    // Returns: the UID `memo` came with, or "".
    QString uidOf(const icalendar::Memo &memo) const;
    // Writes the file anew. Returns: false when it could not be written.
    bool save(const QString &path) const;

private:
    QHash<QByteArray, QString> m_uids; // by the hash of the memo's date and text
};

} // namespace keptuids
