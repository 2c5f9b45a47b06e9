// Faults of the system and crashes of the program while it adds memos: whatever happens, the
// schedule file holds either its old content or the new one, byte for byte, and the user is
// told when a memo was not stored. The adds run in child processes (rekova_addtool) so that a
// test can kill them, run two at once, limit their file size or run them as another user.

#include "addsequence.h"
#include "fieldlist.h"
#include "filebytes.h"
#include "schedulegen.h"
#include "store/cp932.h"
#include "store/dirs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

const QString nameOfFile = QStringLiteral("ｽｹｼﾞｭｰﾙ.txt");

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// `count` generated records, all dated before 2061, so that the memos of the add sequence
// never replace one of them and always sort after them.
QStringList recordsBefore2061(int count)
{
    return schedulegen::records(count * 9 / 8 + 1).first(count);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// --- Running the child process -----------------------------------------------------------

// What the child runs under: a file size limit (0 for none), and whether it runs as an
// ordinary user when the test runs as root, which ignores permission bits.
struct ChildSetup
{
    rlim_t fileSizeLimit = 0;
    bool asOtherUser = false;
    gid_t otherUsersGroup = 0; // a further group of the other user, 0 for none
    int addressSpaceMB = 0;    // the address space the add may take, 0 for no limit
    // The fault shuts out only users other than the folder's owner, so the child must not run
    // as the tester even when the tester is an ordinary user.
    bool notTheOwner = false;
};

constexpr uid_t otherUser = 65534; // nobody

std::unique_ptr<QProcess> startChild(const QStringList &arguments, const ChildSetup &setup = {})
{
    auto child = std::make_unique<QProcess>();
    QStringList command {QStringLiteral(REKOVA_ADDTOOL)};
    if (setup.asOtherUser && ::geteuid() == 0) {
        const QString id = QString::number(otherUser);
        const QString groups = setup.otherUsersGroup
                ? "--groups=" + QString::number(setup.otherUsersGroup)
                : QStringLiteral("--clear-groups");
        command = QStringList {"setpriv", "--reuid=" + id, "--regid=" + id, groups} + command;
    }
    if (setup.fileSizeLimit > 0) {
        const rlim_t limit = setup.fileSizeLimit;
        // Runs in the child between fork and exec; the limit survives the exec. SIGXFSZ keeps
        // its default action, which kills a program that does not ignore it itself.
        child->setChildProcessModifier([limit] {
            ::signal(SIGXFSZ, SIG_DFL);
            const rlimit limited {limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &limited);
        });
    }
    const QString program = command.takeFirst();
    child->start(program, command + arguments);
    return child;
}

struct ChildRun
{
    bool finished = false;
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

ChildRun runChild(const QStringList &arguments, const ChildSetup &setup = {}, int timeoutMs = 60000)
{
    const std::unique_ptr<QProcess> child = startChild(arguments, setup);
    ChildRun run;
    run.finished = child->waitForFinished(timeoutMs);
    if (!run.finished)
        child->kill();
    child->waitForFinished(5000);
    run.exitCode = child->exitStatus() == QProcess::NormalExit ? child->exitCode() : -1;
    run.output = child->readAllStandardOutput();
    run.errors = child->readAllStandardError();
    return run;
}

// The message boxes that `rekova_addtool schedule` showed.
QStringList messagesOf(const ChildRun &run)
{
    QStringList texts;
    for (const QJsonValue &text : QJsonDocument::fromJson(run.output).array())
        texts.append(text.toString());
    return texts;
}

// The "added n t" lines a sequence child printed: n, and when the add ended.
struct Added
{
    int n;
    qint64 micros;
};

QList<Added> addedIn(const QByteArray &output)
{
    QList<Added> added;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 3 && words[0] == "added")
            added.append({words[1].toInt(), words[2].toLongLong()});
    }
    return added;
}

// --- Injecting a real fault --------------------------------------------------------------

enum class Fault {
    FileSizeLimit,     // the disk "fills up" after 16 KB: writes stop short without an error
    ReadOnlyFolder,    // the file may be written, the folder may not
    ReadOnlyFile,      // the folder may be written, the file may not
    UnenterableFolder, // the folder may be read but not entered
    AddressSpaceLimit, // the add may take half the file's size in memory
    UnreadableLock,    // a lock file that the adding user may not open is in the way
};

// Prepares `folder` (which holds the file) for `fault` and says how to run the child.
ChildSetup inject(Fault fault, const QString &folder, const QString &file)
{
    switch (fault) {
    case Fault::FileSizeLimit:
        return ChildSetup {16 * 1024, false};
    case Fault::ReadOnlyFolder:
        setMode(file, 0666);
        setMode(folder, 0555);
        return ChildSetup {0, true};
    case Fault::ReadOnlyFile:
        setMode(file, 0444);
        setMode(folder, 0777);
        return ChildSetup {0, true};
    case Fault::UnenterableFolder:
        setMode(folder, 0766);
        return ChildSetup {.asOtherUser = true, .notTheOwner = true};
    case Fault::AddressSpaceLimit:
        return ChildSetup {0, false, 0, int(QFileInfo(file).size() / (2 << 20))};
    case Fault::UnreadableLock:
        setMode(file, 0666);
        setMode(folder, 0777);
        writeBytes(file + ".lock", QByteArray());
        setMode(file + ".lock", 0);
        return ChildSetup {0, true};
    }
    return {};
}

// Returns: an empty string when a child can run as an ordinary user (one that is not the
// tester when `notTheOwner`), else why not.
QString otherUserProblem(bool notTheOwner)
{
    if (::geteuid() != 0) {
        if (!notTheOwner)
            return QString(); // permission bits already apply to this user
        return QStringLiteral("needs root to run the add as a user other than the folder's owner "
                              "(uid %1 through setpriv)")
                .arg(otherUser);
    }
    QProcess probe;
    const QString id = QString::number(otherUser);
    probe.start("setpriv", {"--reuid=" + id, "--regid=" + id, "--clear-groups", "id", "-u"});
    if (probe.waitForFinished(10000) && probe.exitCode() == 0
        && probe.readAllStandardOutput().trimmed() == id.toLatin1())
        return QString();
    return QStringLiteral("setpriv cannot run a process as uid %1").arg(otherUser);
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class tst_faults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void realFaultsLeaveTheFile_data();
    void realFaultsLeaveTheFile();
    void addByGroupMemberKeepsTheSharing();
    void killedAddsLeaveOldOrNewContent();
    void twoProcessesLoseNoMemo_data();
    void twoProcessesLoseNoMemo();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder; // holds the schedule file; its modes are restored after each test
    QString m_path;
};

void tst_faults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // An ordinary user must be able to reach the folder below.
    QVERIFY(setMode(m_dir->path(), 0755));
    m_folder = m_dir->filePath(QStringLiteral("memos"));
    QVERIFY(QDir().mkdir(m_folder));
    m_path = m_folder + u'/' + nameOfFile;
}

void tst_faults::cleanup()
{
    setMode(m_folder, 0755);
    m_dir.reset();
}

void tst_faults::realFaultsLeaveTheFile_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message"); // %1 the path, %2 its folder

    const QString notWritten = QStringLiteral("スケジュールファイルに書き込めませんでした。\n%1\n");
    const QString unchanged = QStringLiteral("\nファイルの内容は変更していません。");
    const QString tooLarge = QStringLiteral("ファイルが大きすぎます。");
    const QString denied = QStringLiteral("アクセスが拒否されました。");
    // clang-format off
    // The first write stops short without an error; the next one meets the limit.
    QTest::newRow("file size limit stands in for a full disk")
            << Fault::FileSizeLimit << notWritten + tooLarge + unchanged;
    QTest::newRow("folder that may not be entered, another user")
            << Fault::UnenterableFolder
            << "スケジュールファイルを読み込めませんでした。\n%1\n" + denied;
    QTest::newRow("read-only folder, another user")
            << Fault::ReadOnlyFolder
            << notWritten + "保存先のフォルダを使えません。\n%2\n" + denied + unchanged;
    QTest::newRow("read-only file, another user")
            << Fault::ReadOnlyFile << notWritten + denied + unchanged;
    QTest::newRow("too little memory")
            << Fault::AddressSpaceLimit << notWritten + "メモリが足りません。" + unchanged;
    QTest::newRow("lock file of another user that may not be read")
            << Fault::UnreadableLock
            << notWritten + "保存先のフォルダを使えません。\n%2\nロックファイル %1.lock を開けません。"
                   + denied + unchanged;
    // clang-format on
}

void tst_faults::realFaultsLeaveTheFile()
{
    QFETCH(Fault, fault);
    QFETCH(QString, message);
    // Larger than one block of the save and than Qt's write buffer, so that the limit is hit
    // inside a write call.
    QByteArray before = schedulegen::fileBytes(schedulegen::records(3000));
    QVERIFY(before.size() > 128 * 1024);
    if (fault == Fault::AddressSpaceLimit) {
        if (qEnvironmentVariableIsSet("REKOVA_ASAN"))
            QSKIP("the sanitizers reserve more address space than any limit leaves");
        before = before.repeated(200); // tens of megabytes: far more than the add needs besides
    }
    QVERIFY(writeBytes(m_path, before));

    const ChildSetup setup = inject(fault, m_folder, m_path);
    if (setup.asOtherUser) {
        // Without a user that the permission bits shut out, the add would simply succeed.
        const QString problem = otherUserProblem(setup.notTheOwner);
        if (!problem.isEmpty())
            QSKIP(qPrintable(problem));
    }
    QStringList arguments {"schedule", m_path};
    if (setup.addressSpaceMB > 0)
        arguments.append(QString::number(setup.addressSpaceMB));
    const ChildRun run = runChild(arguments, setup);
    QVERIFY2(run.finished, run.errors.constData());
    QCOMPARE(run.exitCode, 1);

    const QStringList shown = messagesOf(run);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first(),
             message.replace(QStringLiteral("%1"), m_path).replace(QStringLiteral("%2"), m_folder));
    QCOMPARE(readBytes(m_path), before);
    if (fault == Fault::UnreadableLock)
        QVERIFY(QFile::remove(m_path + ".lock"));
    QCOMPARE(filesIn(m_folder), QStringList {nameOfFile});
}

void tst_faults::addByGroupMemberKeepsTheSharing()
{
    if (::geteuid() != 0)
        QSKIP("needs root to give the file to a group of another user");
    const QString problem = otherUserProblem(true);
    if (!problem.isEmpty())
        QSKIP(qPrintable(problem));
    constexpr gid_t sharedGroup = 2500;
    QVERIFY(writeBytes(m_path, schedulegen::fileBytes(schedulegen::records(10))));
    QCOMPARE(::chown(QFile::encodeName(m_path).constData(), 0, sharedGroup), 0);
    QVERIFY(setMode(m_path, 0660));
    QVERIFY(setMode(m_folder, 0777));
    // Shared with one more user through an access list.
    QCOMPARE(QProcess::execute("setfacl", {"-m", "u:2501:rw", m_path}), 0);
    const auto accessList = [this] {
        QByteArray list(256, '\0');
        const ssize_t size = ::getxattr(QFile::encodeName(m_path).constData(),
                                        "system.posix_acl_access", list.data(), list.size());
        return list.left(qMax<ssize_t>(size, 0));
    };
    const QByteArray sharedWith = accessList();
    QVERIFY(!sharedWith.isEmpty());

    const ChildRun run = runChild({"schedule", m_path}, {0, true, sharedGroup});
    QVERIFY2(run.finished, run.errors.constData());
    QCOMPARE(messagesOf(run), QStringList {QStringLiteral("書込み完了")});
    struct stat info
    { };
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &info), 0);
    QCOMPARE(info.st_gid, sharedGroup);
    QCOMPARE(info.st_mode & 07777, mode_t(0660));
    QCOMPARE(accessList(), sharedWith);
}

void tst_faults::killedAddsLeaveOldOrNewContent()
{
    // A file as large as the program allows; every memo the children add goes to the end.
    const QStringList records = recordsBefore2061(32767);
    QVERIFY(records.last() < QStringLiteral("2061"));
    QByteArray expected = schedulegen::fileBytes(records); // the file after `done` adds
    QVERIFY(writeBytes(m_path, expected));
    int done = 0;
    const QString lockPath = m_path + QStringLiteral(".lock");

    // Finds the state the file is in: the content after `done` adds or after more of them.
    // Returns: false when it is none of them (a mix, a truncation, anything else).
    const auto settle = [&](const QByteArray &now) {
        QByteArray state = expected;
        int reached = done;
        while (state.size() < now.size())
            state += addsequence::fileLine(reached++);
        if (now != state)
            return false;
        expected = state;
        done = reached;
        return true;
    };

    // A first child, left to finish one add, sets the pace: kills land anywhere from a
    // child's start to a quarter of an add after its first one. The window then follows the
    // speed of the machine: it widens a little after each kill that found the old content and
    // narrows after one that found new content, so that about one kill in five does.
    double killWindowMs = 0;
    {
        const std::unique_ptr<QProcess> child = startChild({"sequence", m_path, "0", "1"});
        QVERIFY(child->waitForReadyRead(30000));
        QElapsedTimer clock;
        clock.start();
        QByteArray output = child->readAllStandardOutput();
        while (!output.contains("added") && child->waitForReadyRead(60000))
            output += child->readAllStandardOutput();
        killWindowMs = qMax(20.0, clock.elapsed() * 1.25);
        QVERIFY2(child->waitForFinished(60000) && child->exitCode() == 0, output.constData());
    }
    QVERIFY(settle(readBytes(m_path)));
    QCOMPARE(done, 1);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    constexpr int kills = 50;
    int killedHoldingTheLock = 0;
    int killedAfterAnAdd = 0;
    int leftovers = 0;
    QList<QByteArray> killed; // process ids
    for (int kill = 0; kill < kills; ++kill) {
        const int first = done;
        const std::unique_ptr<QProcess> child
                = startChild({"sequence", m_path, QString::number(first), "3000"});
        QVERIFY(child->waitForReadyRead(30000));
        const int delayMs = int(random.bounded(int(killWindowMs) + 1));
        QThread::msleep(ulong(delayMs));
        killed.append(QByteArray::number(child->processId()));
        child->kill();
        QVERIFY(child->waitForFinished(30000));
        const QByteArray output = child->readAllStandardOutput();
        QVERIFY2(child->exitStatus() == QProcess::CrashExit, output.constData());

        const QByteArray now = readBytes(m_path);
        QVERIFY2(settle(now),
                 qPrintable(QStringLiteral("kill %1 after %2 ms (seed %3): %4 bytes, not the "
                                           "content after %5 or more adds")
                                    .arg(kill)
                                    .arg(delayMs)
                                    .arg(seed)
                                    .arg(now.size())
                                    .arg(first)));
        // Every add the child reported is in the file; at most the one it was killed in
        // besides.
        const QList<Added> added = addedIn(output);
        const int reported = first + int(added.size());
        QVERIFY(added.isEmpty() || added.last().n == reported - 1);
        QVERIFY2(done == reported || done == reported + 1,
                 qPrintable(QStringLiteral("%1 adds reported, %2 in the file")
                                    .arg(reported)
                                    .arg(done)));
        if (done > first)
            ++killedAfterAnAdd;
        killWindowMs *= done > first ? 0.9 : 1.03;
        if (readBytes(lockPath).split('\n').first() == killed.last())
            ++killedHoldingTheLock;
        QStringList others = filesIn(m_folder);
        others.removeAll(nameOfFile);
        others.removeAll(nameOfFile + QStringLiteral(".lock"));
        if (!others.isEmpty())
            qInfo() << "left beside the file:" << others;
        leftovers += int(others.size());
    }
    qInfo("%d kills within %.0f ms at the end (seed %u): %d found new content, %d left a lock "
          "file, %d files left beside the schedule file",
          kills, killWindowMs, seed, killedAfterAnAdd, killedHoldingTheLock, leftovers);
    // Otherwise the kills never hit an add at work, or never one that had finished. The
    // window aims at one kill in five after an add, but a loaded machine stretches a child's
    // start unevenly: a few hits of each kind are enough to show the kills reached both.
    QVERIFY(killedHoldingTheLock >= kills / 10);
    QVERIFY(killedAfterAnAdd >= 1);

    // The file decodes whole, with every record it had and every add it reports.
    const cp932::Decoded decoded = cp932::decode(expected);
    QVERIFY(decoded.isValid());
    QCOMPARE(readFields(decoded.text).size(), records.size() + done);

    // The lock is a flock() on the lock file, which the system drops when the process ends: a
    // lock file left by a killed add is free at once, whatever it holds.
    if (!QFile::exists(lockPath)) {
        const std::unique_ptr<QProcess> child
                = startChild({"sequence", m_path, QString::number(done), "3000"});
        QDeadlineTimer deadline(30000);
        while (!QFile::exists(lockPath) && !deadline.hasExpired())
            QThread::usleep(200);
        killed.append(QByteArray::number(child->processId()));
        child->kill();
        QVERIFY(child->waitForFinished(30000));
        QVERIFY(settle(readBytes(m_path)));
    }
    // The lock file names a killed process (its creator wrote its process id, and nobody
    // writes to an existing lock file). The next add takes the lock at once; one that waited
    // for the file to go would give up after five seconds and report the file in use.
    QVERIFY(killed.contains(readBytes(lockPath).split('\n').first()));
    const ChildRun next = runChild({"sequence", m_path, QString::number(done), "1"});
    QVERIFY2(next.exitCode == 0, next.output.constData());
    QVERIFY(settle(readBytes(m_path)));
    // Nothing that the killed adds made is left: no lock, no save file.
    QCOMPARE(filesIn(m_folder), QStringList {nameOfFile});
}

void tst_faults::twoProcessesLoseNoMemo_data()
{
    QTest::addColumn<QString>("secondPath"); // the path the second process is set to
    QTest::newRow("same path") << nameOfFile;
    QTest::newRow("one through a link") << QStringLiteral("link.txt");
}

void tst_faults::twoProcessesLoseNoMemo()
{
    QFETCH(QString, secondPath);
    const QStringList records = recordsBefore2061(50);
    QVERIFY(writeBytes(m_path, schedulegen::fileBytes(records)));
    QStringList expectedFiles {nameOfFile};
    if (secondPath != nameOfFile) {
        QVERIFY(QFile::link(nameOfFile, m_folder + u'/' + secondPath));
        expectedFiles.prepend(secondPath);
    }

    // A short pause after each add lets the other process in, as between a person's adds; it
    // also makes each run outlast the start of the other process, even where adds take
    // microseconds (a folder in memory).
    constexpr int each = 200;
    const QString pauseMs = QStringLiteral("2");
    const std::unique_ptr<QProcess> first
            = startChild({"sequence", m_path, "0", QString::number(each), pauseMs});
    const std::unique_ptr<QProcess> second
            = startChild({"sequence", m_folder + u'/' + secondPath, QString::number(each),
                          QString::number(each), pauseMs});
    QVERIFY(first->waitForFinished(120000));
    QVERIFY(second->waitForFinished(120000));
    const QByteArray firstOutput = first->readAllStandardOutput();
    const QByteArray secondOutput = second->readAllStandardOutput();
    QVERIFY2(first->exitCode() == 0, firstOutput.right(300).constData());
    QVERIFY2(second->exitCode() == 0, secondOutput.right(300).constData());
    const QList<Added> firstAdded = addedIn(firstOutput);
    const QList<Added> secondAdded = addedIn(secondOutput);
    QCOMPARE(firstAdded.size(), each);
    QCOMPARE(secondAdded.size(), each);
    // The two took turns: in the order the adds ended, the process changes at least twice, so
    // the one that went first had to wait for the other and then got the lock back. (Two runs
    // that never overlapped change once.) More turns are usual but not certain on a loaded
    // machine, where one process may start long after the other.
    QList<std::pair<qint64, int>> order;
    for (const Added &add : firstAdded)
        order.append({add.micros, 0});
    for (const Added &add : secondAdded)
        order.append({add.micros, 1});
    std::sort(order.begin(), order.end());
    int turns = 0;
    for (qsizetype k = 1; k < order.size(); ++k)
        turns += order[k].second != order[k - 1].second;
    QVERIFY2(turns >= 2, qPrintable(QString::number(turns)));

    QStringList expected = records;
    for (int n = 0; n < 2 * each; ++n) {
        expected.append(addsequence::dateOf(n).toString(QStringLiteral("yyyyMMdd"))
                        + (n % 2 == 1 ? u'1' : u'0') + QStringLiteral("会議") + QString::number(n));
    }
    const cp932::Decoded decoded = cp932::decode(readBytes(m_path));
    QVERIFY(decoded.isValid());
    QStringList stored = readFields(decoded.text);
    QCOMPARE(stored.size(), records.size() + 2 * each);
    stored.sort();
    expected.sort();
    QCOMPARE(stored, expected);
    QCOMPARE(filesIn(m_folder), expectedFiles);
}

QTEST_GUILESS_MAIN(tst_faults)
#include "tst_faults.moc"
