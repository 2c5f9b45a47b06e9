#include "common/background.h"

#include <QEventLoop>
#include <QThread>

#include <memory>

namespace background {

void run(const std::function<void()> &work)
{
    const std::unique_ptr<QThread> thread(QThread::create(work));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    // A thread that could not be created is neither running nor finished.
    if (!thread->isRunning() && !thread->isFinished()) {
        work();
        return;
    }
    if (!thread->isFinished())
        loop.exec();
    // The loop also ends when the program quits; the work is never cut short.
    thread->wait();
}

} // namespace background
