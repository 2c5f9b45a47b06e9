#pragma once

// The program's QApplication. Running out of memory while the window reads or draws a large
// memo file (a std::bad_alloc escaping an event handler) would end the program and lose a typed
// memo: it is told instead, and the event loop goes on. The store reports its own failures; this
// is the net below everything else.

#include <QApplication>

#include <new>

class Platform;

class Application : public QApplication
{
public:
    Application(int &argc, char **argv);

    // Where the message goes; none: it is only dropped.
    void setPlatform(Platform *platform) { m_platform = platform; }

    bool notify(QObject *receiver, QEvent *event) override;

    // Runs `step` (a start-up step outside the event loop) with the same net.
    template<typename Step> void guarded(const Step &step)
    {
        try {
            step();
        } catch (const std::bad_alloc &) {
            tellOutOfMemory();
        }
    }

private:
    void tellOutOfMemory();

    Platform *m_platform = nullptr;
};
