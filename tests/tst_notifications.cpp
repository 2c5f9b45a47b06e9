#include "session/notifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Desktop notifications on a private session bus (run under dbus-run-session), first without a
// notification service, then with a stand-in that logs each call.
class tst_notifications : public QObject
{
    Q_OBJECT

private slots:
    void sentOnlyToARunningService()
    {
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(!notifications::send(QStringLiteral("暦丸"), QStringLiteral("x")));

        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("calls.log"));
        QProcess service;
        service.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                       QStringLiteral("--template"), QStringLiteral("notification_daemon"),
                       QStringLiteral("-l"), log});
        QVERIFY(service.waitForStarted());
        QVERIFY(QTest::qWaitFor(
                [] {
                    return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                            QStringLiteral("org.freedesktop.Notifications"));
                },
                20000));
        QVERIFY(notifications::send(QStringLiteral("暦丸"), QStringLiteral("会議 <資料> & 茶")));
        QByteArray calls;
        QVERIFY(QTest::qWaitFor(
                [&] {
                    QFile file(log);
                    calls = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
                    return calls.contains("Notify");
                },
                10000));
        service.terminate();
        service.waitForFinished();
        // The body's "<" and "&" stay text for a service that reads markup.
        QVERIFY2(calls.contains(QStringLiteral("Notify \"暦丸\" 0 \"rekova\" \"暦丸\" "
                                               "\"会議 &lt;資料&gt; &amp; 茶\"")
                                        .toUtf8()),
                 calls.constData());
    }
};

QTEST_GUILESS_MAIN(tst_notifications)
#include "tst_notifications.moc"
