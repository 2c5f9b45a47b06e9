#pragma once

// What one step did to the schedule file, as the store tells it to whoever keeps the window's
// history of steps (StoreOptions::recorded), so that the step can be taken back.

#include "store/savefile.h"

#include <QByteArray>
#include <QString>

struct StoreStep
{
    enum class Kind {
        Rewrite,  // the file's content was replaced (an add, a delete, an import, a merge)
        SetAside, // the file was renamed to its backup name
    };
    Kind kind = Kind::Rewrite;
    QString target; // the file written or set aside, links followed
    // Rewrite: whether a file was there, and its bytes before and after.
    bool existed = true;
    QByteArray before;
    QByteArray after;
    // SetAside: the backup's name, and the backup as the step left it.
    QString backup;
    savefile::Identity backupIdentity;
};
