#include "fakeplatform.h"
#include "filebytes.h"
#include "flows/storeflows.h"
#include "store/faultinjector.h"
#include "store/setaside.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(setaside::Status)

namespace {

const QByteArray memos("\"200012171memo\"\r\n");
const QByteArray oldBackup("\"199901011old\"\r\n");

class FailingRename : public FaultInjector
{
public:
    bool fails(SaveStep step) override { return step == SaveStep::Rename; }
};

} // namespace

class tst_setaside : public QObject
{
    Q_OBJECT

private slots:
    void backupName_data();
    void backupName();
    void setAsideAndTell_data();
    void setAsideAndTell();
    void secondSetAsideKeepsTheBackup();
    void linkedFileIsSetAsideBesideItself();
};

void tst_setaside::backupName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("backup");

    // clang-format off
    QTest::newRow("half-width kana name") << "/home/a/ｽｹｼﾞｭｰﾙ.txt" << "/home/a/ｽｹｼﾞｭｰﾙ.bak";
    QTest::newRow("upper-case TXT")       << "/d/MEMO.TXT"          << "/d/MEMO.bak";
    QTest::newRow("mixed case")           << "/d/memo.tXt"          << "/d/memo.bak";
    QTest::newRow("txt without a period") << "/d/memotxt"           << "/d/memobak";
    QTest::newRow("just txt")             << "txt"                  << "bak";
    QTest::newRow("other extension")      << "/d/x.dat"             << "/d/x.datbak";
    QTest::newRow("txt not at the end")   << "/d/a.txt.old"         << "/d/a.txt.oldbak";
    QTest::newRow("shorter than three")   << "tx"                   << "txbak";
    // clang-format on
}

void tst_setaside::backupName()
{
    QFETCH(QString, path);
    QFETCH(QString, backup);
    QCOMPARE(setaside::backupName(path), backup);
}

void tst_setaside::setAsideAndTell_data()
{
    QTest::addColumn<QString>("setup"); // words: file, backup, backup-linked, backup-symlink,
                                        // folder-at-path, folder-at-backup, no-path,
                                        // failing-rename, locked
    QTest::addColumn<setaside::Status>("status");
    QTest::addColumn<QString>("message"); // %1 the path, %2 the backup name
    QTest::addColumn<QByteArray>("fileAfter");
    QTest::addColumn<QByteArray>("backupAfter");

    const QByteArray absent("<absent>");
    const QString unchanged = QStringLiteral("\nどちらのファイルも変更していません。");
    // clang-format off
    QTest::newRow("renamed") << "file" << setaside::Status::Renamed
            << "%2\n\nのファイルに改名しました" << absent << memos;
    QTest::newRow("older backup replaced") << "file backup" << setaside::Status::Renamed
            << "%2\n\nのファイルに改名しました" << absent << memos;
    QTest::newRow("backup another name of the file") << "file backup-linked"
            << setaside::Status::Renamed << "%2\n\nのファイルに改名しました" << absent << memos;
    QTest::newRow("backup a symbolic link to the file") << "file backup-symlink"
            << setaside::Status::Renamed << "%2\n\nのファイルに改名しました" << absent << memos;
    QTest::newRow("no path set") << "no-path file backup" << setaside::Status::NotSet
            << "スケジュールファイルが設定されていません。" << memos << oldBackup;
    QTest::newRow("no file keeps the backup") << "backup" << setaside::Status::NoFile
            << "改名するスケジュールファイルがありません。\n%1\n以前のバックアップはそのまま残しています。"
            << absent << oldBackup;
    QTest::newRow("folder at the path counts as no file") << "folder-at-path backup"
            << setaside::Status::NoFile
            << "改名するスケジュールファイルがありません。\n%1\n以前のバックアップはそのまま残しています。"
            << absent << oldBackup;
    QTest::newRow("failed rename leaves both") << "file backup failing-rename"
            << setaside::Status::Failed
            << "スケジュールファイルを改名できませんでした。\n%1\n→ %2\n入出力エラーが発生しました。" + unchanged
            << memos << oldBackup;
    QTest::newRow("folder at the backup name") << "file folder-at-backup"
            << setaside::Status::Failed
            << "スケジュールファイルを改名できませんでした。\n%1\n→ %2\n同じ名前のフォルダがあります。" + unchanged
            << memos << absent;
    QTest::newRow("file in use by an add") << "file backup locked" << setaside::Status::Locked
            << "スケジュールファイルは他のプログラムが使用中です。\n%1\nしばらくしてからもう一度お試しください。"
            << memos << oldBackup;
    // clang-format on
}

void tst_setaside::setAsideAndTell()
{
    QFETCH(QString, setup);
    QFETCH(setaside::Status, status);
    QFETCH(QString, message);
    QFETCH(QByteArray, fileAfter);
    QFETCH(QByteArray, backupAfter);
    const QStringList words = setup.split(u' ');

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt"));
    const QString backup = dir.filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.bak"));
    if (words.contains("file"))
        QVERIFY(writeBytes(path, memos));
    if (words.contains("backup"))
        QVERIFY(writeBytes(backup, oldBackup));
    if (words.contains("backup-linked"))
        QCOMPARE(::link(QFile::encodeName(path), QFile::encodeName(backup)), 0);
    if (words.contains("backup-symlink"))
        QVERIFY(QFile::link(path, backup));
    if (words.contains("folder-at-path"))
        QVERIFY(QDir().mkdir(path));
    if (words.contains("folder-at-backup"))
        QVERIFY(QDir().mkdir(backup));
    FakePlatform platform;
    platform.setSchedulePath(words.contains("no-path") ? QString() : path);
    FailingRename failingRename;
    QLockFile lock(path + ".lock");
    if (words.contains("locked"))
        QVERIFY(lock.tryLock(0));

    const setaside::Result result
            = flows::setAsideAndTell(platform,
                                     {words.contains("failing-rename") ? &failingRename : nullptr,
                                      std::chrono::milliseconds(50)});
    QCOMPARE(result.status, status);
    QCOMPARE(platform.messages(), QStringList {message.replace("%1", path).replace("%2", backup)});
    QCOMPARE(platform.shown.first().title, QStringLiteral("暦丸"));
    if (!words.contains("folder-at-path"))
        QCOMPARE(readBytes(path), fileAfter);
    if (!words.contains("folder-at-backup"))
        QCOMPARE(readBytes(backup), backupAfter);
    QVERIFY(!words.contains("folder-at-path") || QFileInfo(path).isDir());
}

void tst_setaside::secondSetAsideKeepsTheBackup()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("memo.dat"));
    QVERIFY(writeBytes(path, memos));
    FakePlatform platform;
    platform.setSchedulePath(path);

    QCOMPARE(flows::setAsideAndTell(platform).status, setaside::Status::Renamed);
    QCOMPARE(flows::setAsideAndTell(platform).status, setaside::Status::NoFile);
    QCOMPARE(readBytes(path + "bak"), memos);
    QCOMPARE(platform.messages().size(), 2);
    QCOMPARE(platform.messages().first(), path + "bak\n\nのファイルに改名しました");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"memo.datbak"});
}

void tst_setaside::linkedFileIsSetAsideBesideItself()
{
    // The link stays where the user set it up; the next add writes through it to a new file.
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("real.txt"));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    QVERIFY(writeBytes(target, memos));
    QVERIFY(QFile::link(target, link));

    const setaside::Result result = setaside::setAside(link);
    QCOMPARE(result.status, setaside::Status::Renamed);
    QCOMPARE(result.backupPath, dir.filePath(QStringLiteral("real.bak")));
    QCOMPARE(readBytes(result.backupPath), memos);
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(!QFile::exists(target));
}

QTEST_APPLESS_MAIN(tst_setaside)
#include "tst_setaside.moc"
