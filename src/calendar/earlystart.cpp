#include "calendar/earlystart.h"

#include "koyomi/koyomi.h"
#include "platform/platform.h"
#include "store/dirs.h"

#include <QDate>

#include <system_error>

namespace rekovabas {

EarlyStart::EarlyStart(const QString &path, int year) : m_read(m_promise.get_future())
{
    const auto work = [this, path, year] {
        try {
            m_promise.set_value(ScheduleCache::readNow(path));
        } catch (...) {
            m_promise.set_exception(std::current_exception());
        }
        // The table is kept for every thread: the month's drawing finds it made, or waits for it.
        if (year >= koyomi::firstYear && year <= koyomi::lastYear)
            koyomi::yearTable(year);
    };
    try {
        m_thread = std::async(std::launch::async, work);
    } catch (const std::system_error &) {
        work();
    }
}

std::optional<ScheduleCache::Read> EarlyStart::take()
{
    if (!m_read.valid())
        return std::nullopt;
    return m_read.get();
}

std::unique_ptr<EarlyStart> beginEarly(Platform &platform)
{
    return std::make_unique<EarlyStart>(dirs::schedulePath(platform), platform.today().year());
}

} // namespace rekovabas
