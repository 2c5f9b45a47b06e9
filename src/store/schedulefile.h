#pragma once

// Reading the schedule file from disk. The file is opened, read whole and closed within one
// call; it is never kept open.

#include "common/reason.h"

#include <QByteArray>
#include <QString>

namespace schedulefile {

enum class Status {
    Present,    // an existing regular file (symbolic links followed), read whole
    Absent,     // nothing there, or something that is not a regular file (folder, FIFO, device)
    Unreadable, // a file that could not be opened or read, or a path that cannot be followed
                // (a folder that may not be entered, a loop of links); see `error`
};

struct Contents
{
    Status status = Status::Absent;
    QString text;                    // the decoded content when Present
    qsizetype firstInvalidByte = -1; // offset of the first byte that is not CP932, or -1
    Reason error;                    // why, when Unreadable
};

// The file's bytes as they are on disk.
struct Bytes
{
    Status status = Status::Absent;
    QByteArray bytes; // when Present
    Reason error;     // why, when Unreadable
};

// Reads the whole file without decoding it. A FIFO or device at the path is never read from.
Bytes readBytes(const QString &path);

// Returns: true when `path` names an existing regular file. Never opens it, so a FIFO cannot
// block the caller.
bool isPresent(const QString &path);

// Reads and decodes the whole file. A FIFO or device at the path is never read from.
// Test seam: the program reads bytes (readBytes) and decodes only what it shows; the tests read
// what a step left in the file through this.
Contents read(const QString &path);

} // namespace schedulefile
