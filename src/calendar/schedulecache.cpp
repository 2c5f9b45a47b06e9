#include "calendar/schedulecache.h"

#include "store/dirs.h"
#include "store/posix.h"

#include <QFile>

namespace rekovabas {

namespace {

// The file at `path` as its status tells it, links followed: no open, so nothing waits on a
// FIFO or a slow file system's open.
savefile::Identity stampOf(const QString &path)
{
    return savefile::identityOf(posix::fileStatus(QFile::encodeName(path)));
}

} // namespace

Schedules ScheduleCache::read(Platform &platform)
{
    const QString path = dirs::schedulePath(platform);
    // Taken before the read: a file changed during it is read again the next time.
    const savefile::Identity stamp = path.isEmpty() ? savefile::Identity {} : stampOf(path);
    if (m_last && m_last->file.path == path && m_stamp == stamp)
        return *m_last;
    Schedules source = readSchedules(platform);
    if (source.file.status == schedulefile::Status::Unreadable) {
        m_last.reset();
    } else {
        m_last = source;
        m_stamp = stamp;
    }
    return source;
}

} // namespace rekovabas
