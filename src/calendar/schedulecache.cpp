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

ScheduleCache::Read ScheduleCache::readNow(const QString &path)
{
    Read read;
    // Taken before the read: a file changed during it is read again the next time.
    read.stamp = path.isEmpty() ? savefile::Identity {} : stampOf(path);
    read.source = readSchedules(path);
    return read;
}

void ScheduleCache::adopt(const Read &read)
{
    if (read.source.file.status == schedulefile::Status::Unreadable) {
        m_last.reset();
        return;
    }
    m_last = read.source;
    m_stamp = read.stamp;
}

Schedules ScheduleCache::read(Platform &platform, std::optional<Read> early)
{
    const QString path = dirs::schedulePath(platform);
    const savefile::Identity now = path.isEmpty() ? savefile::Identity {} : stampOf(path);
    if (early && early->source.file.path == path && early->stamp == now) {
        adopt(*early);
        return std::move(early->source);
    }
    if (m_last && m_last->file.path == path && m_stamp == now)
        return *m_last;
    Read fresh = readNow(path);
    adopt(fresh);
    return std::move(fresh.source);
}

} // namespace rekovabas
