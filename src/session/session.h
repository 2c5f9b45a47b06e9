#pragma once

// The display system the program asks Qt for. As a Wayland client the program cannot place its
// windows: the compositor ignores the centring, lets the window run off the screen when it widens
// for a day, and Qt draws a title bar of its own that cuts the title short. As an X11 client
// through XWayland it places its main window itself and gets the compositor's title bar.

#include <QByteArray>

namespace session {

// What decides the choice, as the environment and the command line give it. An empty value
// counts as unset, as it does for Qt.
struct Environment
{
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray display;        // DISPLAY
};

// The value for QT_QPA_PLATFORM. Returns: "xcb;wayland" (X11, with Wayland when the X server
// cannot be reached) in a Wayland session that offers an X server, when the user chose no
// platform (QT_QPA_PLATFORM or -platform); otherwise "" to leave the choice to Qt.
QByteArray preferredPlatform(const Environment &environment, int argc, const char *const *argv);

// Whether Qt has a display to open the window on, or a platform the user chose. Without either it
// ends the program with an abort and a core dump, so the program says so itself instead.
bool displayGiven(const Environment &environment, int argc, const char *const *argv);

// The environment of this process.
Environment currentEnvironment();

// Sets QT_QPA_PLATFORM to preferredPlatform() for this process. Call it before QApplication.
// Returns: whether it set the variable, which forgetChoice() then removes again.
bool choosePlatform(int argc, const char *const *argv);

// Removes the variable that choosePlatform() set, once QApplication has read it, so that
// programs started from the window (the web browser) make their own choice.
void forgetChoice();

} // namespace session
