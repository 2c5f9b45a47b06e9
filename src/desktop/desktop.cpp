#include "desktop/desktop.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace desktop {

QIcon applicationIcon()
{
    // Every size drawn, so that QIcon hands out the one made for the size and the screen's
    // scale (64 pixels for a 32 pixel place at 2×) instead of scaling a smaller one up.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/rekova-16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/rekova-32.xpm"), QSize(32, 32));
    for (int size : {48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/rekova-%1.png").arg(size), QSize(size, size));
    return icon;
}

bool installJapaneseTranslations(QApplication &app)
{
    // The locale is given explicitly: the user's may be "C" or anything else.
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

namespace {

// Returns: the atom of `name`, or XCB_ATOM_NONE when the server did not answer.
xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie
            = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace

void hideFromTaskbar(QWidget &window)
{
    // The offscreen platform offers the X11 interface too, without a connection.
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb") || !window.isWindow())
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    // winId() creates the native window, so the state is in place when Qt maps it; Qt keeps
    // states it does not manage itself when it adds its own.
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1,
                        &skipTaskbar);
    xcb_flush(connection);
}

} // namespace desktop
