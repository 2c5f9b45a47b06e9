#include "common/messages.h"
#include "desktop/application.h"
#include "desktop/qtplatform.h"
#include "fakeplatform.h"
#include "filebytes.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// Writes of more than `bytes` to files fail with EFBIG while it lives, even for root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limited {bytes, m_saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_saved); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved {};
};

} // namespace

// The setting as the program stores it.
class tst_qtplatform : public QObject
{
    Q_OBJECT

private slots:
    void writeSetting_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("writable"); // false: a file size limit makes every write fail
        QTest::newRow("no file yet") << QByteArray() << true;
        QTest::newRow("well formed") << QByteArray("[startup]\nfirstdir=/old.txt\n") << true;
        QTest::newRow("byte-order mark")
                << QByteArray("\xEF\xBB\xBF[startup]\nfirstdir=/old.txt\n") << true;
        QTest::newRow("line without a key")
                << QByteArray("garbage\n[startup]\nfirstdir=/a\n") << true;
        // Qt keeps the value of a failed write and tries it again when the file is next opened,
        // which would report the second failure before reading the file: this row comes first.
        QTest::newRow("section not closed, not writable")
                << QByteArray("[startup\nfirstdir=/old.txt\n") << false;
        QTest::newRow("well formed, not writable")
                << QByteArray("[startup]\nfirstdir=/old.txt\n") << false;
    }

    // A file Qt cannot read whole is still written: the new path is saved and said to be. When
    // the write fails, that is said, whatever Qt thought of the file before.
    void writeSetting()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, writable);
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
        bool written = false;
        {
            const FileSizeLimit limit(writable ? RLIM_INFINITY : 1);
            written = platform.writeSetting("startup", "firstdir", "/new.txt", &error);
        }
        QCOMPARE(written, writable);
        if (writable) {
            QVERIFY(error.isEmpty());
            QVERIFY(readBytes(file).contains("firstdir=/new.txt\n"));
        } else {
            QCOMPARE(error, QStringLiteral("設定ファイル %1 に書き込めません").arg(file));
            QCOMPARE(readBytes(file), before);
        }
    }

    // Memory that runs out in a handler is told, and the program goes on.
    void outOfMemoryIsToldAndSurvived()
    {
        struct Greedy : QObject
        {
            bool event(QEvent *) override { throw std::bad_alloc(); }
        } greedy;
        FakePlatform platform;
        auto *app = static_cast<Application *>(QCoreApplication::instance());
        app->setPlatform(&platform);
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&greedy, &event);
        app->guarded([] { throw std::bad_alloc(); });
        app->setPlatform(nullptr);
        QCOMPARE(platform.messages(), QStringList(2, messages::stoppedForWantOfMemory()));
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    tst_qtplatform test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_qtplatform.moc"
