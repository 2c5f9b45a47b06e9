#pragma once

// The schedule file as the window last read it, kept while the file stays as it was then: a day
// click or a month step on an unchanged file looks at the file's status and opens nothing. On a
// slow file system (a network or FUSE folder) every open can take a second, and the window
// waited that long for each click. A file that is not as it was (another file at the name,
// another size or time of change) is read again.
//
// Part of the namespace rekovabas (calendar/rekovabas.h).

#include "calendar/rekovabas.h"
#include "store/savefile.h"

#include <optional>

namespace rekovabas {

class ScheduleCache
{
public:
    // One read of the file at `path` and the file's status before it.
    struct Read
    {
        Schedules source;
        savefile::Identity stamp;
    };
    // Reads the file at `path`; it may run on any thread.
    static Read readNow(const QString &path);
    // Keeps `read`, made on another thread, as the last read.
    void adopt(const Read &read);

    // The schedule file named by the setting of `platform`: `early` (a read made on another
    // thread, even one that failed) or else the last read, while the file is as it was then;
    // else a new read. A file that could not be read is read again each later time.
    Schedules read(Platform &platform, std::optional<Read> early = std::nullopt);
    // Forgets the last read: the next one opens the file.
    void drop() { m_last.reset(); }

private:
    std::optional<Schedules> m_last;
    savefile::Identity m_stamp; // the file's when it was last read
};

} // namespace rekovabas
