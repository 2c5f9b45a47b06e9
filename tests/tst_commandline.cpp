#include <QProcess>
#include <QTest>

// The program's own options, answered by the real program where no display can be reached.
class tst_commandline : public QObject
{
    Q_OBJECT

private slots:
    void answeredWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("--version")
                << QStringList {"--version"} << "rekova (暦丸) Ver 1.11 (2000/12/17) GCC";
        QTest::newRow("-h after a Qt option")
                << QStringList {"-platform", "xcb", "-h"} << "使い方: rekova [Qt のオプション]";
    }

    void answeredWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, firstLine);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(qEnvironmentVariable("REKOVA_EXE"), arguments);
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()).section(u'\n', 0, 0),
                 firstLine);
        QCOMPARE(program.readAllStandardError(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_commandline)
#include "tst_commandline.moc"
