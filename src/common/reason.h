#pragma once

// Why a step on a file did not happen, as the code that tried it knows it: what went wrong and
// its details (an errno, a line number, a path). The code that reads and writes files returns
// these; messages::reasonText() gives the user's words for each, in one place.

#include <QString>

struct Reason
{
    enum class Kind {
        None,
        System,                    // the system refused: `error` is its errno
        NotRegularFile,            // something other than a file (a FIFO, a device) is at the path
        WriteInterrupted,          // a write stopped before all bytes were written
        OutOfMemory,               // memory ran out; nothing was changed
        FileKeptBeingReplaced,     // another program kept replacing the file during the step
        FileHasOtherNames,         // `count` further names (hard links)
        LinkNotFollowed,           // `name` is another user's link in a folder everyone may write
        NameTooLongForFilesBeside, // no room for the lock file's name beside the file
        SaveNameInTheWay,          // no fresh name for the new file; `name` is the last one tried
        LockNotRegularFile,        // something other than a file is at the lock's name `name`
        LockNotOpened,             // the lock file `name` cannot be opened: errno `error`
        Line,                      // text after a closing quotation mark on line `count`
        Unencodable,               // `name` is the first character CP932 cannot hold
        CopyIsLink,                // a name of a conflict copy's form is a symbolic link
        CopyOfAnotherUser,         // ... belongs to another user
        CopyHasOtherNames,         // ... has `count` further names (hard links)
        CopyHasInvalidBytes,       // a conflict copy is not valid CP932
    };

    Kind kind = Kind::None;
    int error = 0;
    qsizetype count = 0;
    QString name;
    // When set: the folder that holds the schedule file, which cannot take its lock file for
    // this reason.
    QString folder;

    static Reason system(int errnoValue) { return {Kind::System, errnoValue, 0, {}, {}}; }
    static Reason of(Kind kind) { return {kind, 0, 0, {}, {}}; }
    static Reason counted(Kind kind, qsizetype count) { return {kind, 0, count, {}, {}}; }
    static Reason named(Kind kind, const QString &name, int errnoValue = 0)
    {
        return {kind, errnoValue, 0, name, {}};
    }
    Reason inFolder(const QString &schedulesFolder) const
    {
        Reason inside = *this;
        inside.folder = schedulesFolder;
        return inside;
    }

    bool isNone() const { return kind == Kind::None; }
    bool operator==(const Reason &) const = default;
};
