#include "desktop/application.h"

#include "common/messages.h"
#include "platform/platform.h"

#include <new>

Application::Application(int &argc, char **argv) : QApplication(argc, argv) { }

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        tellOutOfMemory();
        return false;
    }
}

void Application::tellOutOfMemory()
{
    if (m_platform)
        m_platform->showMessage(messages::stoppedForWantOfMemory(), messages::applicationTitle());
}
