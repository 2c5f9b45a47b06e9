#include "session/session.h"

#include <QTest>

#include <tuple>

// The display system asked of Qt in each kind of session, with and without the user's own choice.
class tst_session : public QObject
{
    Q_OBJECT

private slots:
    void preferredPlatform()
    {
        // QT_QPA_PLATFORM, WAYLAND_DISPLAY, XDG_SESSION_TYPE, DISPLAY ("" is unset); an option
        // given the value "wayland"; the platform asked for.
        const std::tuple<session::Environment, const char *, QByteArray> rows[] = {
                // clang-format off
                {{"", "wayland-0", "wayland", ":0"}, nullptr,      "xcb;wayland"},
                {{"", "", "wayland", ":0"},          nullptr,      "xcb;wayland"},
                {{"", "wayland-0", "wayland", ""},   nullptr,      ""},
                {{"", "", "x11", ":0"},              nullptr,      ""},
                {{"wayland", "wayland-0", "", ":0"}, nullptr,      ""},
                {{"", "wayland-0", "", ":0"},        "-platform",  ""},
                {{"", "wayland-0", "", ":0"},        "--platform", ""},
                {{"", "wayland-0", "", ":0"},        "-style",     "xcb;wayland"},
                // clang-format on
        };
        for (const auto &[environment, option, expected] : rows) {
            const char *argv[] = {"rekova", option, "wayland"};
            QCOMPARE(session::preferredPlatform(environment, option ? 3 : 1, argv), expected);
        }
    }
};

QTEST_APPLESS_MAIN(tst_session)
#include "tst_session.moc"
