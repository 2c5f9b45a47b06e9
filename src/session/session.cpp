#include "session/session.h"

#include <QtGlobal>

#include <cstring>

namespace session {

namespace {

// Qt reads "-platform <name>", and "--platform <name>" as the same.
bool platformArgumentGiven(int argc, const char *const *argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

} // namespace

QByteArray preferredPlatform(const Environment &environment, int argc, const char *const *argv)
{
    if (!environment.qpaPlatform.isEmpty() || platformArgumentGiven(argc, argv))
        return QByteArray();
    const bool wayland
            = !environment.waylandDisplay.isEmpty() || environment.sessionType == "wayland";
    if (!wayland || environment.display.isEmpty())
        return QByteArray();
    return QByteArrayLiteral("xcb;wayland");
}

bool displayGiven(const Environment &environment, int argc, const char *const *argv)
{
    return !environment.qpaPlatform.isEmpty() || platformArgumentGiven(argc, argv)
            || !environment.display.isEmpty() || !environment.waylandDisplay.isEmpty();
}

Environment currentEnvironment()
{
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE"),
            qgetenv("DISPLAY")};
}

bool choosePlatform(int argc, const char *const *argv)
{
    const QByteArray platform = preferredPlatform(currentEnvironment(), argc, argv);
    if (platform.isEmpty())
        return false;
    qputenv("QT_QPA_PLATFORM", platform);
    return true;
}

void forgetChoice()
{
    qunsetenv("QT_QPA_PLATFORM");
}

} // namespace session
