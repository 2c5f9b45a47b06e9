#include "filebytes.h"
#include "platform/qtplatform.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTest>

// The setting as the program stores it.
class tst_qtplatform : public QObject
{
    Q_OBJECT

private slots:
    void writeSetting_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("no file yet") << QByteArray();
        QTest::newRow("well formed") << QByteArray("[startup]\nfirstdir=/old.txt\n");
        QTest::newRow("byte-order mark")
                << QByteArray("\xEF\xBB\xBF[startup]\nfirstdir=/old.txt\n");
        QTest::newRow("line without a key") << QByteArray("garbage\n[startup]\nfirstdir=/a\n");
    }

    // A file Qt cannot read whole is still written: the new path is saved and said to be.
    void writeSetting()
    {
        QFETCH(QByteArray, before);
        const QString folder
                = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                + QStringLiteral("/rekova");
        const QString file = folder + QStringLiteral("/rekova.conf");
        QFile::remove(file);
        if (!before.isEmpty()) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(writeBytes(file, before));
        }

        QtPlatform platform;
        QString error;
        QVERIFY(platform.writeSetting("startup", "firstdir", "/new.txt", &error));
        QVERIFY(error.isEmpty());
        QVERIFY(readBytes(file).contains("firstdir=/new.txt\n"));
    }
};

QTEST_MAIN(tst_qtplatform)
#include "tst_qtplatform.moc"
