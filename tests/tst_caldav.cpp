#include "caldav/davclient.h"
#include "caldav/eventmap.h"
#include "caldav/syncengine.h"
#include "caldav/syncmessages.h"
#include "caldav/syncstate.h"
#include "common/messages.h"
#include "davserver.h"
#include "fakeplatform.h"
#include "filebytes.h"
#include "mainwindow/syncdialog.h"
#include "store/batch.h"
#include "store/cp932.h"
#include "store/fieldreader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <functional>

Q_DECLARE_METATYPE(DavServer::Kind)
Q_DECLARE_METATYPE(caldav::Failure)

namespace {

using Kind = DavServer::Kind;
using Headers = QList<std::pair<QByteArray, QByteArray>>;

const QDate today(2026, 12, 8);

const QString memoA = QStringLiteral("202612100会議");
const QString memoA2 = QStringLiteral("202612100会議は十時から");
const QString memoA3 = QStringLiteral("202612100会議は中止");
const QString memoB = QStringLiteral("202612111歯医者");
const QString memoC = QStringLiteral("202612120年賀状を書く");
const QString memoD = QStringLiteral("202701010元日");
const QString lines = QStringLiteral("202612151一行目\r\n二行目");
const QString timed = QStringLiteral("202612160"
                                     "10:00 打合せ");
const QString timedChanged = QStringLiteral("202612160"
                                            "10:00 打合せ（第二会議室）");

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList recordsIn(const QString &path)
{
    const QByteArray bytes = readBytes(path);
    QStringList records;
    if (bytes == "<absent>")
        return records;
    fieldreader::forEachField(QByteArrayView(bytes), [&](QByteArrayView field) {
        records.append(cp932::decode(field).text);
    });
    return sorted(records);
}

// Stands between the sync and a real server and passes whole requests on, so that a test can
// act on the server just before the n-th request reaches it.
class Proxy : public QObject
{
public:
    Proxy(quint16 upstream, std::function<void(int index, const QByteArray &method)> before)
        : m_upstream(upstream), m_before(std::move(before))
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = m_server.nextPendingConnection())
                pass(client);
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void pass(QTcpSocket *client)
    {
        auto *upstream = new QTcpSocket(client);
        auto *buffer = new QByteArray;
        connect(client, &QObject::destroyed, [buffer] { delete buffer; });
        upstream->connectToHost(QStringLiteral("127.0.0.1"), m_upstream);
        connect(upstream, &QTcpSocket::readyRead, client,
                [client, upstream] { client->write(upstream->readAll()); });
        // What the server sent before it closed reaches the client first.
        connect(upstream, &QTcpSocket::disconnected, client, [client, upstream] {
            client->write(upstream->readAll());
            client->disconnectFromHost();
        });
        connect(upstream, &QTcpSocket::errorOccurred, client,
                [client](QAbstractSocket::SocketError error) {
                    if (error != QAbstractSocket::RemoteHostClosedError)
                        client->abort();
                });
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QTcpSocket::readyRead, client, [=, this] {
            *buffer += client->readAll();
            for (;;) {
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                qsizetype length = 0;
                for (const QByteArray &line : buffer->left(end).split('\n')) {
                    if (line.toLower().startsWith("content-length:"))
                        length = line.mid(15).trimmed().toLongLong();
                }
                if (buffer->size() < end + 4 + length)
                    return;
                const QByteArray request = buffer->left(end + 4 + length);
                buffer->remove(0, request.size());
                m_before(m_count++, request.left(request.indexOf(' ')));
                upstream->write(request);
            }
        });
    }

    QTcpServer m_server;
    quint16 m_upstream;
    std::function<void(int, const QByteArray &)> m_before;
    int m_count = 0;
};

// A server with a calendar, and a memo file and a state folder of the sync's own.
class Setup
{
public:
    explicit Setup(Kind kind, bool tls = false) : server(kind, tls) { }

    QString begin()
    {
        if (const QString why = server.start(); !why.isEmpty())
            return why;
        calendar = server.makeCalendar();
        return calendar.isEmpty() ? QStringLiteral("no calendar made") : QString();
    }

    QString memoFile() const { return dir.path() + QStringLiteral("/memo.txt"); }
    QString stateFolder() const { return dir.path() + QStringLiteral("/state"); }
    QString statePath() const
    {
        return syncstate::pathFor(stateFolder(), memoFile(), calendarAt(server.port()));
    }

    QUrl calendarAt(quint16 port) const
    {
        QUrl url = calendar;
        url.setPort(port);
        return url;
    }

    // One sync, straight to the server or through a port in front of it.
    caldav::SyncResult sync(quint16 through = 0)
    {
        caldav::SyncJob job;
        job.account = server.account();
        job.calendar = calendarAt(server.port());
        job.memoFile = memoFile();
        job.stateFolder = stateFolder();
        job.today = today;
        if (through != 0) {
            // The state is the calendar's, whatever port leads to it.
            job.calendar.setPort(through);
            const QString proxied = syncstate::pathFor(stateFolder(), memoFile(), job.calendar);
            moveState(statePath(), proxied, job.calendar);
            const caldav::SyncResult result = caldav::synchronize(job);
            moveState(proxied, statePath(), calendarAt(server.port()));
            return result;
        }
        return caldav::synchronize(job);
    }

    static void moveState(const QString &from, const QString &to, const QUrl &calendar)
    {
        syncstate::State state = syncstate::load(from);
        state.calendar = QString::fromUtf8(calendar.toEncoded());
        QString error;
        QFile::remove(from);
        if (!state.items.isEmpty() || !state.token.isEmpty())
            syncstate::save(to, state, error);
    }

    bool here(const QStringList &removed, const QStringList &added)
    {
        return batch::apply(memoFile(), removed, added).status == batch::Status::Applied;
    }

    struct Event
    {
        QString href;
        QByteArray etag;
        eventmap::Incoming incoming;
    };

    QList<Event> events() const
    {
        caldav::Client client(server.account());
        caldav::Error error;
        const std::optional<caldav::Listing> listing = client.list(calendar, error);
        QList<Event> found;
        if (!listing)
            return found;
        const std::optional<QList<caldav::Fetched>> fetched
                = client.fetch(calendar, listing->keys(), error);
        for (const caldav::Fetched &event : fetched.value_or(QList<caldav::Fetched>()))
            found.append({event.href, event.etag, eventmap::recordOf(event.data)});
        return found;
    }

    // The events there as records, and those the file cannot hold as "left: event".
    QStringList there() const
    {
        QStringList records;
        for (const Event &event : events())
            records.append(event.incoming.record.isEmpty()
                                   ? QStringLiteral("left: ") + event.incoming.leftOut.event
                                   : event.incoming.record);
        return sorted(records);
    }

    int putRaw(const QByteArray &ics, const QString &uid) const
    {
        caldav::Client client(server.account());
        return client
                .send("PUT",
                      caldav::Client::urlOf(calendar,
                                            calendar.path() + uid + QStringLiteral(".ics")),
                      ics,
                      {{"Content-Type", "text/calendar; charset=utf-8"}, {"If-None-Match", "*"}})
                .status;
    }

    bool put(const QString &record) const
    {
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        return putRaw(eventmap::eventOf(record, uid, today), uid) / 100 == 2;
    }

    // Another client's change of the event that holds `from`: to `to`, or deleted.
    bool change(const QString &from, const std::optional<QString> &to) const
    {
        caldav::Client client(server.account());
        for (const Event &event : events()) {
            if (event.incoming.record != from)
                continue;
            const QUrl url = caldav::Client::urlOf(calendar, event.href);
            const Headers match {{"If-Match", event.etag},
                                 {"Content-Type", "text/calendar; charset=utf-8"}};
            const caldav::Reply reply = to
                    ? client.send("PUT", url, eventmap::eventOf(*to, event.incoming.uid, today),
                                  match)
                    : client.send("DELETE", url, {}, match);
            return reply.status / 100 == 2;
        }
        return false;
    }

    DavServer server;
    QTemporaryDir dir;
    QUrl calendar;
};

void addKinds(const std::function<void(Kind, const QString &)> &rows)
{
    for (const Kind kind : {Kind::Radicale, Kind::Xandikos})
        rows(kind, DavServer::nameOf(kind));
}

} // namespace

class tst_caldav : public QObject
{
    Q_OBJECT

private slots:
    void syncsChangesOfEitherSide_data();
    void syncsChangesOfEitherSide();
    void leavesWhatTheFileCannotHold_data();
    void leavesWhatTheFileCannotHold();
    void resumesAfterTheServerStopped_data();
    void resumesAfterTheServerStopped();
    void mergesAChangeMadeWhileItSyncs_data();
    void mergesAChangeMadeWhileItSyncs();
    void findsTheCalendarOrSaysWhy_data();
    void findsTheCalendarOrSaysWhy();
    void refusesABadAnswer_data();
    void refusesABadAnswer();
    void runsOneSyncAtATime();
    void anotherClientReadsAndWrites_data();
    void anotherClientReadsAndWrites();
};

// Each row: both sides before the first sync, the changes each side makes after it, and both
// sides after the second sync. A third sync must change nothing.
void tst_caldav::syncsChangesOfEitherSide_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QStringList>("here");
    QTest::addColumn<QStringList>("there");
    QTest::addColumn<QStringList>("removedHere");
    QTest::addColumn<QStringList>("addedHere");
    // "+record" added there, "-record" deleted there, "record>record" changed there.
    QTest::addColumn<QStringList>("thereChanges");
    QTest::addColumn<bool>("invalidToken");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("bothChanged");

    addKinds([](Kind kind, const QString &name) {
        const auto row = [&](const char *what) -> QTestData & {
            return QTest::addRow("%s: %s", qPrintable(name), what) << kind;
        };
        const QStringList none;
        row("first sync makes the union")
                << QStringList {memoA, memoB} << QStringList {memoB, memoC} << none << none << none
                << false << QStringList {memoA, memoB, memoC} << 0;
        row("a memo twice here and once there")
                << QStringList {memoA, memoA} << QStringList {memoA} << none << none << none
                << false << QStringList {memoA, memoA} << 0;
        row("added here") << QStringList {memoA} << none << none << QStringList {memoD} << none
                          << false << QStringList {memoA, memoD} << 0;
        row("deleted here") << QStringList {memoA, memoB} << none << QStringList {memoA} << none
                            << none << false << QStringList {memoB} << 0;
        row("changed here") << QStringList {memoA, memoB} << none << QStringList {memoA}
                            << QStringList {memoA2} << none << false << QStringList {memoA2, memoB}
                            << 0;
        row("added there") << QStringList {memoA} << none << none << none
                           << QStringList {u'+' + memoD} << false << QStringList {memoA, memoD}
                           << 0;
        row("deleted there") << QStringList {memoA, memoB} << none << none << none
                             << QStringList {u'-' + memoA} << false << QStringList {memoB} << 0;
        row("changed there") << QStringList {memoA, memoB} << none << none << none
                             << QStringList {memoA + u'>' + memoA3} << false
                             << QStringList {memoA3, memoB} << 0;
        row("changed on both sides") << QStringList {memoA, memoB} << none << QStringList {memoA}
                                     << QStringList {memoA2} << QStringList {memoA + u'>' + memoA3}
                                     << false << QStringList {memoA2, memoA3, memoB} << 1;
        row("deleted here, changed there")
                << QStringList {memoA, memoB} << none << QStringList {memoA} << none
                << QStringList {memoA + u'>' + memoA3} << false << QStringList {memoA3, memoB} << 0;
        row("changed here, deleted there")
                << QStringList {memoA, memoB} << none << QStringList {memoA} << QStringList {memoA2}
                << QStringList {u'-' + memoA} << false << QStringList {memoA2, memoB} << 0;
        row("a timed event there keeps its time when changed here")
                << none << QStringList {timed} << QStringList {timed} << QStringList {timedChanged}
                << none << false << QStringList {timedChanged} << 0;
        row("lines and an alarm") << QStringList {lines} << none << none << none << none << false
                                  << QStringList {lines} << 0;
        row("both sides add after an invalid token")
                << QStringList {memoA} << none << none << QStringList {memoC}
                << QStringList {u'+' + memoD} << true << QStringList {memoA, memoC, memoD} << 0;
    });
}

void tst_caldav::syncsChangesOfEitherSide()
{
    QFETCH(Kind, kind);
    QFETCH(QStringList, here);
    QFETCH(QStringList, there);
    QFETCH(QStringList, removedHere);
    QFETCH(QStringList, addedHere);
    QFETCH(QStringList, thereChanges);
    QFETCH(bool, invalidToken);
    QFETCH(QStringList, after);
    QFETCH(int, bothChanged);

    Setup setup(kind);
    QCOMPARE(setup.begin(), QString());
    QVERIFY(setup.here({}, here));
    for (const QString &record : there)
        QVERIFY(setup.put(record));

    QCOMPARE(setup.sync().outcome, caldav::SyncResult::Outcome::Done);
    const QStringList first = recordsIn(setup.memoFile());
    QCOMPARE(setup.there(), first);

    QVERIFY(setup.here(removedHere, addedHere));
    for (const QString &change : thereChanges) {
        if (change.startsWith(u'+'))
            QVERIFY(setup.put(change.sliced(1)));
        else if (change.startsWith(u'-'))
            QVERIFY(setup.change(change.sliced(1), std::nullopt));
        else
            QVERIFY(setup.change(change.section(u'>', 0, 0), change.section(u'>', 1)));
    }
    if (invalidToken) {
        syncstate::State state = syncstate::load(setup.statePath());
        QVERIFY(!state.token.isEmpty());
        state.token = "http://radicale.org/ns/sync/0000" + state.token.right(4);
        QString error;
        QVERIFY(syncstate::save(setup.statePath(), state, error));
    }

    const caldav::SyncResult second = setup.sync();
    QCOMPARE(second.outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(second.bothChanged.size(), bothChanged);
    QCOMPARE(recordsIn(setup.memoFile()), sorted(after));
    QCOMPARE(setup.there(), sorted(after));

    const caldav::SyncResult third = setup.sync();
    QCOMPARE(third.outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(third.addedHere + third.removedHere + third.created + third.updated + third.deleted,
             0);
    QCOMPARE(recordsIn(setup.memoFile()), sorted(after));
    QCOMPARE(setup.there(), sorted(after));
}

namespace {

QByteArray calendarOf(const QByteArray &event)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//test//EN\r\n" + event
            + "END:VCALENDAR\r\n";
}

QByteArray vevent(const QByteArray &uid, const QByteArray &fields)
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20261201T000000Z\r\n" + fields
            + "END:VEVENT\r\n";
}

} // namespace

void tst_caldav::leavesWhatTheFileCannotHold_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("ics");

    addKinds([](Kind kind, const QString &name) {
        const auto row = [&](const char *what, const QByteArray &fields) {
            QTest::addRow("%s: %s", qPrintable(name), what)
                    << kind << calendarOf(vevent("left-1", fields));
        };
        row("repeating", "DTSTART;VALUE=DATE:20261207\r\nRRULE:FREQ=WEEKLY\r\nSUMMARY:朝礼\r\n");
        row("several days",
            "DTSTART;VALUE=DATE:20261228\r\nDTEND;VALUE=DATE:20270104\r\n"
            "SUMMARY:年末年始休み\r\n");
        row("before 1980", "DTSTART;VALUE=DATE:19791231\r\nSUMMARY:大晦日\r\n");
        row("after 2069", "DTSTART;VALUE=DATE:20700101\r\nSUMMARY:元日\r\n");
        row("a quotation mark", "DTSTART;VALUE=DATE:20261220\r\nSUMMARY:\"忘年会\"\r\n");
        row("a character CP932 lacks",
            "DTSTART;VALUE=DATE:20261221\r\nSUMMARY:誕生日\xF0\x9F\x8E\x82\r\n");
    });
}

// Such an event stays on the server as it is, told once, even when every memo here goes.
void tst_caldav::leavesWhatTheFileCannotHold()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, ics);

    Setup setup(kind);
    QCOMPARE(setup.begin(), QString());
    QVERIFY(setup.here({}, {memoA}));
    QCOMPARE(setup.putRaw(ics, QStringLiteral("left-1")) / 100, 2);
    const QList<Setup::Event> before = setup.events();
    QCOMPARE(before.size(), 1);

    const caldav::SyncResult first = setup.sync();
    QCOMPARE(first.outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(first.newlyLeft, 1);
    QCOMPARE(first.leftThere.size(), 1);
    QCOMPARE(recordsIn(setup.memoFile()), QStringList {memoA});

    QVERIFY(setup.here({memoA}, {}));
    const caldav::SyncResult second = setup.sync();
    QCOMPARE(second.outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(second.newlyLeft, 0);
    QCOMPARE(second.leftThere.size(), 1);
    QCOMPARE(recordsIn(setup.memoFile()), QStringList());
    const QList<Setup::Event> after = setup.events();
    QCOMPARE(after.size(), 1);
    QCOMPARE(after[0].href, before[0].href);
    QCOMPARE(after[0].etag, before[0].etag);
}

// The server stops before the n-th request of a first sync; when the program is killed too,
// the state of the requests done is lost. The next sync brings both sides together, nothing
// lost, nothing doubled.
void tst_caldav::resumesAfterTheServerStopped_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("stopAt");
    QTest::addColumn<bool>("stateLost");

    addKinds([](Kind kind, const QString &name) {
        for (const int stopAt : {0, 1, 2, 4, 6})
            for (const bool stateLost : {false, true})
                QTest::addRow("%s: before request %d%s", qPrintable(name), stopAt,
                              stateLost ? ", program killed" : "")
                        << kind << stopAt << stateLost;
    });
}

void tst_caldav::resumesAfterTheServerStopped()
{
    QFETCH(Kind, kind);
    QFETCH(int, stopAt);
    QFETCH(bool, stateLost);

    Setup setup(kind);
    QCOMPARE(setup.begin(), QString());
    const QStringList here {memoA, memoB, memoC, lines, timed};
    QVERIFY(setup.here({}, here));
    QVERIFY(setup.put(memoB));
    QVERIFY(setup.put(memoD));

    Proxy proxy(setup.server.port(), [&](int index, const QByteArray &) {
        if (index == stopAt)
            setup.server.stop();
    });
    const caldav::SyncResult cut = setup.sync(proxy.port());
    QCOMPARE(cut.outcome, caldav::SyncResult::Outcome::RemoteFailed);
    QCOMPARE(cut.error.failure, caldav::Failure::Unreachable);
    if (stateLost)
        QFile::remove(setup.statePath());

    QCOMPARE(setup.server.start(), QString());
    QCOMPARE(setup.sync().outcome, caldav::SyncResult::Outcome::Done);
    const QStringList all = sorted(here + QStringList {memoD});
    QCOMPARE(recordsIn(setup.memoFile()), all);
    QCOMPARE(setup.there(), all);
    QCOMPARE(setup.sync().outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(setup.there(), all);
}

// Another client changes the event between the sync's look at it and its write (412).
void tst_caldav::mergesAChangeMadeWhileItSyncs_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QStringList>("addedHere");
    QTest::addColumn<QStringList>("after");

    addKinds([](Kind kind, const QString &name) {
        QTest::addRow("%s: changed here", qPrintable(name))
                << kind << QStringList {memoA2} << QStringList {memoA2, memoA3, memoB};
        QTest::addRow("%s: deleted here", qPrintable(name))
                << kind << QStringList() << QStringList {memoA3, memoB};
    });
}

void tst_caldav::mergesAChangeMadeWhileItSyncs()
{
    QFETCH(Kind, kind);
    QFETCH(QStringList, addedHere);
    QFETCH(QStringList, after);

    Setup setup(kind);
    QCOMPARE(setup.begin(), QString());
    QVERIFY(setup.here({}, {memoA, memoB}));
    QCOMPARE(setup.sync().outcome, caldav::SyncResult::Outcome::Done);
    QVERIFY(setup.here({memoA}, addedHere));

    bool changed = false;
    Proxy proxy(setup.server.port(), [&](int, const QByteArray &method) {
        if (!changed && (method == "PUT" || method == "DELETE"))
            changed = setup.change(memoA, memoA3);
    });
    const caldav::SyncResult result = setup.sync(proxy.port());
    QVERIFY(changed);
    QCOMPARE(result.outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(recordsIn(setup.memoFile()), sorted(after));
    QCOMPARE(setup.there(), sorted(after));
}

void tst_caldav::findsTheCalendarOrSaysWhy_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("address"); // %1: the server's port
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("tls");     // Radicale over HTTPS with a self-signed certificate
    QTest::addColumn<bool>("trusted"); // the certificate's fingerprint accepted
    QTest::addColumn<caldav::Failure>("failure");

    addKinds([](Kind kind, const QString &name) {
        const auto row = [&](const char *what) -> QTestData & {
            return QTest::addRow("%s: %s", qPrintable(name), what) << kind;
        };
        const QString secret = QStringLiteral("secret");
        // A bare host: /.well-known/caldav redirects, and a PROPFIND must stay one.
        row("bare host, redirected") << QStringLiteral("http://127.0.0.1:%1") << secret << false
                                     << false << caldav::Failure::None;
        row("principal's address")
                << (kind == Kind::Radicale ? QStringLiteral("http://127.0.0.1:%1/alice/")
                                           : QStringLiteral("http://127.0.0.1:%1/user/"))
                << secret << false << false << caldav::Failure::None;
        row("no server on the port") << QStringLiteral("http://127.0.0.1:1") << secret << false
                                     << false << caldav::Failure::Unreachable;
        row("http to another machine") << QStringLiteral("http://192.0.2.1:%1/") << secret << false
                                       << false << caldav::Failure::InsecureAddress;
    });
    const QString radicale = QStringLiteral("http://127.0.0.1:%1");
    const QString secure = QStringLiteral("https://127.0.0.1:%1");
    QTest::addRow("radicale: wrong password")
            << Kind::Radicale << radicale << QStringLiteral("guess") << false << false
            << caldav::Failure::WrongPassword;
    QTest::addRow("radicale: certificate not trusted")
            << Kind::Radicale << secure << QStringLiteral("secret") << true << false
            << caldav::Failure::UntrustedCertificate;
    QTest::addRow("radicale: certificate accepted")
            << Kind::Radicale << secure << QStringLiteral("secret") << true << true
            << caldav::Failure::None;
}

void tst_caldav::findsTheCalendarOrSaysWhy()
{
    QFETCH(Kind, kind);
    QFETCH(QString, address);
    QFETCH(QString, password);
    QFETCH(bool, tls);
    QFETCH(bool, trusted);
    QFETCH(caldav::Failure, failure);

    Setup setup(kind, tls);
    QCOMPARE(setup.begin(), QString());
    caldav::Account account = setup.server.account(QUrl(
            address.contains(QStringLiteral("%1")) ? address.arg(setup.server.port()) : address));
    account.password = password;
    if (!trusted)
        account.trustedFingerprint.clear();
    caldav::Client client(account);
    caldav::Error error;
    const std::optional<QUrl> home = client.calendarHome(error);
    QCOMPARE(error.failure, failure);

    // The settings dialog's test of the same connection, the certificate asked about as needed.
    FakePlatform platform;
    platform.yesNoAnswers.enqueue(trusted);
    SyncSettings settings;
    settings.server = account.server.toString();
    settings.user = account.user;
    SyncDialog dialog(platform, settings, password);
    dialog.findChild<QPushButton *>(QStringLiteral("testconnection"))->click();
    QCOMPARE(platform.shown.first().kind,
             tls ? FakePlatform::Kind::Question : FakePlatform::Kind::Message);
    if (failure != caldav::Failure::None) {
        QCOMPARE(platform.shown.constLast().text,
                 tls ? messages::syncCertificateDeclined()
                     : caldav::describe(error, account.server));
        QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("calendar"))->count(), 0);
    }
    if (failure == caldav::Failure::UntrustedCertificate) {
        QVERIFY(!setup.server.certificate().isEmpty());
        QCOMPARE(error.fingerprint, setup.server.certificate());
    }
    if (failure != caldav::Failure::None) {
        QVERIFY(!home);
        // A sync with such an address changes nothing here.
        QVERIFY(setup.here({}, {memoA}));
        const QByteArray before = readBytes(setup.memoFile());
        caldav::SyncJob job {account, setup.calendar, setup.memoFile(), setup.stateFolder(), today,
                             {},      nullptr};
        job.calendar.setHost(account.server.host());
        job.calendar.setPort(account.server.port());
        const caldav::SyncResult result = caldav::synchronize(job);
        QCOMPARE(result.outcome, caldav::SyncResult::Outcome::RemoteFailed);
        QCOMPARE(result.error.failure, failure);
        QCOMPARE(readBytes(setup.memoFile()), before);
        return;
    }
    QVERIFY(home);
    const QList<caldav::Calendar> calendars = client.calendars(*home, error);
    QCOMPARE(error.failure, caldav::Failure::None);
    QStringList found;
    for (const caldav::Calendar &calendar : calendars)
        found.append(calendar.url.path() + u' ' + calendar.name);
    QVERIFY2(found.contains(setup.calendar.path() + QStringLiteral(" 暦丸")),
             qPrintable(found.join(u',')));

    // The settings dialog lists them after its test, makes one more, and keeps the choice.
    auto *list = dialog.findChild<QComboBox *>(QStringLiteral("calendar"));
    QCOMPARE(platform.shown.constLast().text, messages::syncTestPassed(calendars.size()));
    QCOMPARE(list->count(), calendars.size());
    list->setCurrentIndex(list->findData(QString::fromUtf8(setup.calendar.toEncoded())));
    QVERIFY(list->currentIndex() >= 0);
    dialog.findChild<QPushButton *>(QStringLiteral("newcalendar"))->click();
    QCOMPARE(list->count(), calendars.size() + 1);
    QCOMPARE(list->currentText(), QStringLiteral("暦丸"));
    QVERIFY(list->currentData() != QString::fromUtf8(setup.calendar.toEncoded()));
    dialog.findChild<QCheckBox *>(QStringLiteral("enabled"))->setChecked(true);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.settings().calendar, list->currentData().toString());
    QCOMPARE(dialog.settings().fingerprint,
             tls ? QString::fromLatin1(setup.server.certificate().toHex()) : QString());
}

namespace {

// Answers every request with `answer`, then, for `endless`, with more bytes until it has sent
// more than the client reads.
class BadServer : public QObject
{
public:
    BadServer(QByteArray answer, bool endless) : m_answer(std::move(answer)), m_endless(endless)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = m_server.nextPendingConnection()) {
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                connect(client, &QTcpSocket::readyRead, client, [this, client] {
                    client->readAll();
                    if (client->property("answered").toBool())
                        return;
                    client->setProperty("answered", true);
                    client->write(m_answer);
                    if (!m_endless)
                        return client->disconnectFromHost();
                    connect(client, &QTcpSocket::bytesWritten, client, [client] {
                        qint64 sent = client->property("sent").toLongLong();
                        if (client->bytesToWrite() > 0)
                            return;
                        if (sent > 80LL * 1024 * 1024)
                            return client->disconnectFromHost();
                        const QByteArray filler(1 << 20, 'x');
                        client->write(filler);
                        client->setProperty("sent", sent + filler.size());
                    });
                });
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
    QByteArray m_answer;
    bool m_endless;
};

QByteArray answer207(const QByteArray &body, const QByteArray &length = {})
{
    return "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nConnection: close\r\n"
            + (length.isEmpty() ? QByteArray() : "Content-Length: " + length + "\r\n") + "\r\n"
            + body;
}

} // namespace

// A server that answers nonsense: the sync says so and changes nothing, in bounded memory.
void tst_caldav::refusesABadAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("endless");

    const QByteArray head = "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\">";
    QTest::newRow("not XML") << answer207("<<<>>>&;") << false;
    QTest::newRow("not a multistatus") << answer207("<html><body>ok</body></html>") << false;
    QTest::newRow("cut short") << answer207(head + "<d:response><d:href>/a.ics</d:hr") << false;
    QTest::newRow("nested without end")
            << answer207(head + "<d:response><d:propstat><d:prop>"
                         + QByteArray("<x:a xmlns:x=\"X\">").repeated(5000))
            << false;
    QTest::newRow("an entity bomb")
            << answer207("<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\">"
                         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                         "<!ENTITY e \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                         "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>"
                         "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>&f;&f;&f;&f;</d:href>"
                         "</d:response></d:multistatus>")
            << false;
    QTest::newRow("a length of gigabytes") << answer207(head, "4000000000") << false;
    QTest::newRow("endless") << answer207(head) << true;
}

void tst_caldav::refusesABadAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, endless);

    BadServer server(answer, endless);
    QTemporaryDir dir;
    const QString memoFile = dir.filePath(QStringLiteral("memo.txt"));
    QVERIFY(batch::apply(memoFile, {}, {memoA}).status == batch::Status::Applied);
    const QByteArray before = readBytes(memoFile);
    caldav::SyncJob job;
    job.account.server = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.port()));
    job.calendar = QUrl(QStringLiteral("http://127.0.0.1:%1/cal/").arg(server.port()));
    job.memoFile = memoFile;
    job.stateFolder = dir.filePath(QStringLiteral("state"));
    job.today = today;
    const caldav::SyncResult result = caldav::synchronize(job);
    QCOMPARE(result.outcome, caldav::SyncResult::Outcome::RemoteFailed);
    QCOMPARE(result.error.failure, caldav::Failure::BadAnswer);
    QCOMPARE(readBytes(memoFile), before);
    QVERIFY(!QFile::exists(syncstate::pathFor(job.stateFolder, memoFile, job.calendar)));
}

void tst_caldav::runsOneSyncAtATime()
{
    Setup setup(Kind::Xandikos);
    QCOMPARE(setup.begin(), QString());
    QVERIFY(setup.here({}, {memoA}));
    QDir().mkpath(setup.stateFolder());
    QLockFile other(setup.statePath() + QStringLiteral(".lock"));
    QVERIFY(other.tryLock(0));
    QCOMPARE(setup.sync().outcome, caldav::SyncResult::Outcome::Busy);
    QCOMPARE(setup.there(), QStringList());
    other.unlock();
    QCOMPARE(setup.sync().outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(setup.there(), QStringList {memoA});
}

namespace {

// python3-caldav on the calendar: prints each event's fields, then saves `ics` when given.
QString otherClient(const Setup &setup, const QByteArray &ics = {})
{
    const caldav::Account account = setup.server.account();
    const QString script = QStringLiteral(R"(
import sys, caldav, icalendar
client = caldav.DAVClient(url=sys.argv[1], username=sys.argv[2], password=sys.argv[3])
calendar = client.calendar(url=sys.argv[4])
if len(sys.argv) > 5:
    calendar.save_event(sys.argv[5])
else:
    for item in calendar.events():
        for e in icalendar.Calendar.from_ical(item.data).walk('VEVENT'):
            alarms = [str(a.get('TRIGGER').to_ical(), 'ascii') for a in e.walk('VALARM')]
            print('|'.join([e['DTSTART'].to_ical().decode(), e['DTEND'].to_ical().decode(),
                            str(e['SUMMARY']), str(e['DESCRIPTION']).replace('\n', '/'),
                            ','.join(alarms)]))
)");
    QStringList arguments {QStringLiteral("-c"), script,           account.server.toString(),
                           account.user,         account.password, setup.calendar.toString()};
    if (!ics.isEmpty())
        arguments.append(QString::fromUtf8(ics));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

} // namespace

// An independent client reads what the program wrote, and what it writes arrives as a memo.
void tst_caldav::anotherClientReadsAndWrites_data()
{
    QTest::addColumn<Kind>("kind");
    addKinds([](Kind kind, const QString &name) { QTest::newRow(qPrintable(name)) << kind; });
}

void tst_caldav::anotherClientReadsAndWrites()
{
    QFETCH(Kind, kind);
    Setup setup(kind);
    QCOMPARE(setup.begin(), QString());
    QVERIFY(setup.here({}, {lines}));
    QCOMPARE(setup.sync().outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(otherClient(setup), QStringLiteral("20261215|20261216|一行目|一行目/二行目|PT9H"));

    const QByteArray ics = calendarOf(vevent("other-1",
                                             "DTSTART;VALUE=DATE:20261224\r\n"
                                             "DTEND;VALUE=DATE:20261225\r\n"
                                             "SUMMARY:クリスマス会\r\n"));
    QCOMPARE(otherClient(setup, ics), QString());
    QCOMPARE(setup.sync().outcome, caldav::SyncResult::Outcome::Done);
    QCOMPARE(recordsIn(setup.memoFile()), sorted({lines, QStringLiteral("202612240クリスマス会")}));
}

QTEST_MAIN(tst_caldav)
#include "tst_caldav.moc"
