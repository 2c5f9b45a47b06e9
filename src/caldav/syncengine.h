#pragma once

// Two-way sync of the schedule file with one calendar on a CalDAV server. Each run compares
// both sides with what the last run left (caldav/syncstate.h):
//  - the first run makes the union: a memo and an event with the same date and text are one;
//  - a memo added here is created there (If-None-Match: *), one deleted here is deleted there
//    (If-Match), one changed here is written over its event (If-Match, same UID);
//  - an event added, changed or deleted there is added, changed or deleted here; a memo here is
//    deleted only when it is as the last run left it;
//  - changed on both sides: both are kept; deleted on one side and changed on the other: the
//    changed one stays;
//  - only a complete listing or the server's own report of a delete means "deleted there";
//  - a 412 (the event changed meanwhile) fetches and merges again.
// Every change to the file is one locked step of the store (store/batch.h). Events the file
// cannot hold exactly stay on the server untouched. A run holds a lock beside its state file,
// so two programs never sync one file with one calendar at once.

#include "caldav/davclient.h"
#include "icalendar/icalendar.h"
#include "store/storeoptions.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <atomic>

namespace caldav {

struct SyncJob
{
    Account account;
    QUrl calendar;
    QString memoFile;
    QString stateFolder; // empty: syncstate::defaultFolder()
    QDate today;         // the stamp of the events written
    StoreOptions store;  // how the memo file is written (lock wait, faults, stop)
    const std::atomic_bool *stop = nullptr;
};

struct SyncResult
{
    enum class Outcome {
        Done,
        Busy,         // another run holds this sync's lock
        RemoteFailed, // `error` says why; what was done so far is kept
        LocalFailed,  // the memo file or the state file could not be used; `message` says why
    };
    Outcome outcome = Outcome::Done;
    Error error;
    QString message;

    qsizetype addedHere = 0;
    qsizetype removedHere = 0;
    qsizetype created = 0; // events written there anew
    qsizetype updated = 0;
    qsizetype deleted = 0;
    // Memos changed on both sides in this run ("yyyy/mm/dd summary"): both are kept.
    QStringList bothChanged;
    // Every event that stays on the server only, and how many of them this run found.
    QList<icalendar::LeftOut> leftThere;
    qsizetype newlyLeft = 0;
};

SyncResult synchronize(const SyncJob &job);

} // namespace caldav
