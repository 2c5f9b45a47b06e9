#include "platform/session.h"

#include <QTest>

#include <vector>

// The display system asked of Qt in each kind of session, with and without the user's own choice.
class tst_session : public QObject
{
    Q_OBJECT

private slots:
    void preferredPlatform_data();
    void preferredPlatform();
};

void tst_session::preferredPlatform_data()
{
    QTest::addColumn<QByteArray>("qpaPlatform");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<QByteArray>("sessionType");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("expected");

    // "" is an unset variable.
    const auto row = [](const char *name, const char *qpaPlatform, const char *waylandDisplay,
                        const char *sessionType, const char *display, const QStringList &arguments,
                        const char *expected) {
        QTest::newRow(name) << QByteArray(qpaPlatform) << QByteArray(waylandDisplay)
                            << QByteArray(sessionType) << QByteArray(display) << arguments
                            << QByteArray(expected);
    };
    const char *x11 = "xcb;wayland";
    // clang-format off
    //  row                          QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE DISPLAY arguments                  expected
    row("wayland with XWayland",     "",             "wayland-0",    "wayland",       ":0",   {},                        x11);
    row("wayland socket only",       "",             "wayland-0",    "",              ":1",   {},                        x11);
    row("wayland session type only", "",             "",             "wayland",       ":0",   {},                        x11);
    row("wayland without X server",  "",             "wayland-0",    "wayland",       "",     {},                        "");
    row("plain X11",                 "",             "",             "x11",           ":0",   {},                        "");
    row("no display at all",         "",             "",             "",              "",     {},                        "");
    row("user set QT_QPA_PLATFORM",  "wayland",      "wayland-0",    "wayland",       ":0",   {},                        "");
    row("user set -platform",        "",             "wayland-0",    "wayland",       ":0",   {"-platform", "wayland"},  "");
    row("user set --platform",       "",             "wayland-0",    "",              ":0",   {"--platform", "wayland"}, "");
    row("-platform without a name",  "",             "wayland-0",    "",              ":0",   {"-platform"},             x11);
    row("other arguments",           "",             "wayland-0",    "",              ":0",   {"-style", "fusion"},      x11);
    // clang-format on
}

void tst_session::preferredPlatform()
{
    QFETCH(QByteArray, qpaPlatform);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(QByteArray, sessionType);
    QFETCH(QByteArray, display);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, expected);

    // argv as main() receives it: the program's name first.
    std::vector<QByteArray> storage {QByteArray("rekova")};
    for (const QString &argument : arguments)
        storage.push_back(argument.toUtf8());
    std::vector<const char *> argv;
    for (const QByteArray &argument : storage)
        argv.push_back(argument.constData());

    const session::Environment environment {qpaPlatform, waylandDisplay, sessionType, display};
    QCOMPARE(session::preferredPlatform(environment, static_cast<int>(argv.size()), argv.data()),
             expected);
}

QTEST_APPLESS_MAIN(tst_session)
#include "tst_session.moc"
