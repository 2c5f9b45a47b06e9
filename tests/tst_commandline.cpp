#include <QProcess>
#include <QTest>

#include <utility>

// The program's own options, answered by the real program where no display can be reached, and
// what it says when it has no display to open its window on.
class tst_commandline : public QObject
{
    Q_OBJECT

private slots:
    void answeredWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine"); // of the output, or of the errors when not 0
        QTest::newRow("--version")
                << QStringList {"--version"} << 0 << "rekova (暦丸) Ver 1.11 (2000/12/17) GCC";
        QTest::newRow("-h after a Qt option") << QStringList {"-platform", "xcb", "-h"} << 0
                                              << "使い方: rekova [Qt のオプション]";
        QTest::newRow("no option") << QStringList {} << 1
                                   << "rekova: ウィンドウを表示する画面がありません（DISPLAY も "
                                      "WAYLAND_DISPLAY も設定されていません）。";
    }

    void answeredWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(qEnvironmentVariable("REKOVA_EXE"), arguments);
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        QByteArray said = program.readAllStandardOutput();
        QByteArray unsaid = program.readAllStandardError();
        if (exitCode != 0)
            std::swap(said, unsaid);
        QCOMPARE(QString::fromUtf8(said).section(u'\n', 0, 0), firstLine);
        QCOMPARE(unsaid, QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_commandline)
#include "tst_commandline.moc"
