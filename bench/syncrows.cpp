#include "syncrows.h"

#include "caldav/davclient.h"
#include "caldav/eventmap.h"
#include "caldav/syncengine.h"
#include "caldav/syncstate.h"
#include "davserver.h"
#include "store/batch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>

namespace {

using Headers = QList<std::pair<QByteArray, QByteArray>>;

const QDate stamp(2026, 12, 8);
const Headers calendarType {{"Content-Type", "text/calendar; charset=utf-8"}};

QStringList memos(int count)
{
    QStringList records;
    const QDate first(2026, 1, 1);
    for (int k = 0; k < count; ++k) {
        const QDate date = first.addDays(k % 1500);
        records.append(date.toString(QStringLiteral("yyyyMMdd"))
                       + QStringLiteral("0メモ %1").arg(k));
    }
    return records;
}

double seconds(const std::function<bool()> &work, bool &ok)
{
    QElapsedTimer timer;
    timer.start();
    ok = work() && ok;
    return timer.nsecsElapsed() / 1e9;
}

struct Row
{
    const char *what;
    double sync = 0;
    double bare = 0;
    double python = -1; // the same work by python3-caldav; below 0 when it could not run
};

// Runs the python3-caldav counterpart on a calendar of its own, with the same event bodies, and
// fills in its three times.
void pythonRows(const caldav::Account &account, const QUrl &calendar,
                const QList<QByteArray> &bodies, Row (&rows)[3])
{
    QTemporaryDir folder;
    for (qsizetype k = 0; k < bodies.size(); ++k) {
        QFile file(folder.filePath(QStringLiteral("%1.ics").arg(k, 6, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(bodies[k]) != bodies[k].size())
            return;
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(REKOVA_BENCH_DIR "/caldav_python.py"), calendar.toString(),
                  account.user, account.password, folder.path()});
    if (!python.waitForFinished(-1) || python.exitCode() != 0) {
        std::printf("python3-caldav: %s\n", python.readAllStandardError().constData());
        return;
    }
    const QList<QByteArray> times = python.readAllStandardOutput().trimmed().split(' ');
    for (qsizetype k = 0; k < 3 && k < times.size(); ++k)
        rows[k].python = times[k].toDouble();
}

void rowsFor(DavServer::Kind kind, int count, bool &allMet)
{
    DavServer server(kind);
    if (!server.start().isEmpty()) {
        std::printf("%s did not start\n", qPrintable(DavServer::nameOf(kind)));
        allMet = false;
        return;
    }
    const QStringList records = memos(count);
    const caldav::Account account = server.account();
    bool ok = true;
    Row rows[3] = {{"first sync"}, {"after one change here"}, {"after one change there"}};

    // The bare loop on a calendar of its own: the requests a sync sends, nothing else.
    const QUrl bare = server.makeCalendar();
    QList<QByteArray> bodies;
    QStringList hrefs;
    for (const QString &record : records) {
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        bodies.append(eventmap::eventOf(record, uid, stamp));
        hrefs.append(bare.path() + uid + QStringLiteral(".ics"));
    }
    caldav::Client client(account);
    QByteArray token;
    QByteArray etag;
    rows[0].bare = seconds(
            [&] {
                caldav::Error error;
                token = client.syncToken(bare, error);
                if (!client.list(bare, error))
                    return false;
                for (qsizetype k = 0; k < bodies.size(); ++k) {
                    Headers headers = calendarType;
                    headers.append(std::pair<QByteArray, QByteArray>("If-None-Match", "*"));
                    const caldav::Reply reply = client.send(
                            "PUT", caldav::Client::urlOf(bare, hrefs[k]), bodies[k], headers);
                    if (reply.error)
                        return false;
                    etag = reply.etag;
                }
                return true;
            },
            ok);
    // A client of its own for each, as each sync has.
    const auto bareChange = [&](bool here) {
        caldav::Client client(account);
        caldav::Error error;
        const std::optional<caldav::Changes> changes = client.changesSince(bare, token, error);
        if (!changes)
            return false;
        token = changes->token;
        if (!here)
            return bool(client.fetch(bare, {hrefs.constLast()}, error));
        Headers headers = calendarType;
        headers.append(std::pair<QByteArray, QByteArray>("If-Match", etag));
        const caldav::Reply reply = client.send(
                "PUT", caldav::Client::urlOf(bare, hrefs.constLast()), bodies.constLast(), headers);
        etag = reply.etag;
        return !reply.error;
    };

    // The sync on another calendar, from a memo file of the same memos.
    QTemporaryDir dir;
    caldav::SyncJob job;
    job.account = account;
    job.calendar = server.makeCalendar();
    job.memoFile = dir.filePath(QStringLiteral("memo.txt"));
    job.stateFolder = dir.filePath(QStringLiteral("state"));
    job.today = stamp;
    ok = batch::apply(job.memoFile, {}, records).status == batch::Status::Applied && ok;
    const auto sync = [&] {
        const caldav::SyncResult result = caldav::synchronize(job);
        return result.outcome == caldav::SyncResult::Outcome::Done;
    };
    rows[0].sync = seconds(sync, ok);

    const QString changed = records.constLast() + QStringLiteral("（変更）");
    ok = batch::apply(job.memoFile, {records.constLast()}, {changed}).status
                    == batch::Status::Applied
            && ok;
    rows[1].sync = seconds(sync, ok);
    rows[1].bare = seconds([&] { return bareChange(true); }, ok);

    // Another client changes one event of the sync's calendar.
    const syncstate::State state
            = syncstate::load(syncstate::pathFor(job.stateFolder, job.memoFile, job.calendar));
    for (const syncstate::Item &item : state.items) {
        if (item.record != changed)
            continue;
        Headers headers = calendarType;
        headers.append(std::pair<QByteArray, QByteArray>("If-Match", item.etag));
        ok = !client.send("PUT", caldav::Client::urlOf(job.calendar, item.href),
                          eventmap::eventOf(records.constLast(), item.uid, stamp), headers)
                        .error
                && ok;
    }
    rows[2].sync = seconds(sync, ok);
    rows[2].bare = seconds([&] { return bareChange(false); }, ok);

    pythonRows(account, server.makeCalendar(), bodies, rows);

    for (const Row &row : rows) {
        const double ratio = row.sync / row.bare;
        allMet = allMet && ok && ratio <= 1.2;
        std::printf("%-10s %-24s %7d %10.3f %10.3f %7.2f %6s1.2 %14s%s\n",
                    qPrintable(DavServer::nameOf(kind)), row.what, count, row.sync, row.bare, ratio,
                    "≤", row.python < 0 ? "—" : qPrintable(QString::number(row.python, 'f', 3)),
                    !ok                    ? "  FAILED"
                            : ratio <= 1.2 ? ""
                                           : "  MISSED");
    }
}

} // namespace

void runSyncRows()
{
    // Both servers take longer for each event as a calendar grows: Radicale had stored 4,888 of
    // 10,000 single PUTs after 15 minutes, so a run of 10,000 (set REKOVA_BENCH_SYNC_MEMOS) takes
    // hours, for ratios much as at 1,000 and 2,000.
    const int count = qEnvironmentVariableIsSet("REKOVA_BENCH_SYNC_MEMOS")
            ? qEnvironmentVariableIntValue("REKOVA_BENCH_SYNC_MEMOS")
            : 2000;
    std::printf("\n%-10s %-24s %7s %10s %10s %7s %7s %14s\n", "server", "calendar sync", "memos",
                "sync s", "bare s", "ratio", "goal", "python3-caldav");
    bool allMet = true;
    const QString only = qEnvironmentVariable("REKOVA_BENCH_SYNC_SERVER");
    for (const DavServer::Kind kind : {DavServer::Kind::Radicale, DavServer::Kind::Xandikos}) {
        if (only.isEmpty() || only == DavServer::nameOf(kind))
            rowsFor(kind, count, allMet);
    }
    std::printf("%s\n", allMet ? "Every sync goal met." : "Some sync goals missed.");
}
