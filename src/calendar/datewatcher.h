#pragma once

// Notices that today's date changed while the program runs: at midnight, after a resume from
// suspend, after the clock was set. It asks the platform's clock every half minute; the timer
// does not run while the computer sleeps, so a change across a suspend is seen within half a
// minute of the resume.

#include <QDate>
#include <QObject>
#include <QTimer>

#include <functional>

class Platform;

class DateWatcher : public QObject
{
    Q_OBJECT

public:
    // Given the date handled last and the new one. Returns: false when the change cannot be
    // taken now; the next check offers it again.
    using Handler = std::function<bool(QDate before, QDate today)>;

    static constexpr int intervalMs = 30 * 1000;

    DateWatcher(Platform &platform, Handler handler, QObject *parent = nullptr);

    // Starts the checks from `today`, the date the program shows.
    void start(QDate today);

    // Compares the clock with the date handled last and hands a change to the handler. A check
    // that comes while the handler runs (from inside one of its message boxes) does nothing.
    void check();

private:
    Platform &m_platform;
    Handler m_handler;
    QTimer m_timer;
    QDate m_handled;
    bool m_handling = false;
};
