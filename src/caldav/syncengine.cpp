#include "caldav/syncengine.h"

#include "caldav/eventmap.h"
#include "caldav/syncstate.h"
#include "common/messages.h"
#include "flows/outcome.h"
#include "store/batch.h"
#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/record.h"
#include "store/schedulefile.h"

#include <QDir>
#include <QHash>
#include <QLockFile>
#include <QMultiHash>
#include <QUuid>

#include <optional>

namespace caldav {

namespace {

// Passes of one run: a 412 or a file changed meanwhile starts another.
constexpr int passLimit = 3;

enum class Pass { Finished, Again, Failed };

QString labelOf(const QString &record)
{
    return messages::dateOfKey(record) + u' '
            + icalendar::summaryOf(eventmap::memoOf(record) ? eventmap::memoOf(record)->text
                                                            : QString());
}

// What became of a memo of the last run on this side.
struct Here
{
    enum class Kind { Same, Gone, Changed } kind = Kind::Same;
    QString now; // Changed: the record that took its place
};

// One request that changes the server, decided before any is sent.
struct Push
{
    enum class Kind { Create, Update, Delete } kind = Kind::Create;
    QString href;
    QByteArray etag;
    QString uid;
    QString record;
};

class Sync
{
public:
    explicit Sync(const SyncJob &job) : m_job(job), m_client(job.account, job.stop) { }

    SyncResult run()
    {
        const QString folder
                = m_job.stateFolder.isEmpty() ? syncstate::defaultFolder() : m_job.stateFolder;
        m_statePath = syncstate::pathFor(folder, m_job.memoFile, m_job.calendar);
        QDir().mkpath(folder);
        QLockFile lock(m_statePath + QStringLiteral(".lock"));
        // A run of many events takes minutes: only a lock whose program is gone is stale.
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0)) {
            m_result.outcome = SyncResult::Outcome::Busy;
            return m_result;
        }
        m_state = syncstate::load(m_statePath);
        const QString calendar = QString::fromUtf8(m_job.calendar.toEncoded());
        if (m_state.calendar != calendar)
            m_state = syncstate::State {calendar, {}, {}, {}};
        for (const syncstate::Item &item : std::as_const(m_state.items))
            if (!item.heldHere())
                m_knownLeft.insert(item.href);
        for (int pass = 0; pass < passLimit; ++pass) {
            if (this->pass() != Pass::Again)
                break;
        }
        for (const syncstate::Item &item : std::as_const(m_state.items)) {
            if (!item.heldHere())
                m_result.leftThere.append({item.leftEvent, item.leftReason});
        }
        return m_result;
    }

private:
    Pass remoteFailed(const Error &error)
    {
        m_result.outcome = SyncResult::Outcome::RemoteFailed;
        m_result.error = error;
        return Pass::Failed;
    }

    Pass localFailed(const QString &message)
    {
        m_result.outcome = SyncResult::Outcome::LocalFailed;
        m_result.message = message;
        return Pass::Failed;
    }

    bool save()
    {
        QString error;
        if (syncstate::save(m_statePath, m_state, error))
            return true;
        localFailed(messages::syncStateNotWritten(m_statePath, error));
        return false;
    }

    // The records of the memo file that can be events, in file order.
    std::optional<QStringList> recordsHere()
    {
        const schedulefile::Bytes file = schedulefile::readBytes(m_job.memoFile);
        if (file.status == schedulefile::Status::Unreadable) {
            localFailed(messages::fileUnreadable(m_job.memoFile, messages::reasonText(file.error)));
            return std::nullopt;
        }
        if (cp932::firstInvalidByte(file.bytes) >= 0) {
            localFailed(messages::fileHasInvalidBytes(m_job.memoFile));
            return std::nullopt;
        }
        QStringList records;
        fieldreader::forEachField(QByteArrayView(file.bytes), [&](QByteArrayView field) {
            if (!record::beginsWithDateKey(field))
                return;
            QString item = cp932::decode(field).text;
            if (eventmap::memoOf(item))
                records.append(std::move(item));
        });
        return records;
    }

    Pass pass()
    {
        // What the calendar holds now: the changes since the last run, or the whole listing.
        Listing remote;
        QByteArray token;
        bool listed = false;
        QSet<QString> unconfirmed; // made here after the token, not named in the changes
        Error error;
        if (!m_state.token.isEmpty() && !m_listAll) {
            if (const std::optional<Changes> changes
                = m_client.changesSince(m_job.calendar, m_state.token, error)) {
                for (const syncstate::Item &item : std::as_const(m_state.items))
                    remote.insert(item.href, item.etag);
                for (const QString &href : changes->removed)
                    remote.remove(href);
                remote.insert(changes->changed);
                for (const QString &href : std::as_const(m_state.created)) {
                    if (!changes->changed.contains(href) && !changes->removed.contains(href))
                        unconfirmed.insert(href);
                }
                token = changes->token;
                listed = true;
            } else if (error.failure == Failure::Stopped) {
                return remoteFailed(error);
            }
        }
        if (!listed) {
            // The token first: what changes while the listing runs comes again next time.
            error = Error {};
            token = m_client.syncToken(m_job.calendar, error);
            error = Error {};
            const std::optional<Listing> listing = m_client.list(m_job.calendar, error);
            if (!listing)
                return remoteFailed(error);
            remote = *listing;
        }

        // Events new or changed there, fetched.
        QStringList wanted;
        for (auto it = remote.cbegin(); it != remote.cend(); ++it) {
            const auto known = m_state.items.constFind(it.key());
            if (known == m_state.items.cend() || known->etag != it.value() || it.value().isEmpty()
                || unconfirmed.contains(it.key()))
                wanted.append(it.key());
        }
        const QSet<QString> asked(wanted.cbegin(), wanted.cend());
        QHash<QString, Fetched> fetched;
        if (!wanted.isEmpty()) {
            const std::optional<QList<Fetched>> got = m_client.fetch(m_job.calendar, wanted, error);
            if (!got)
                return remoteFailed(error);
            for (const Fetched &event : *got) {
                if (!event.gone)
                    fetched.insert(event.href, event);
                else if (unconfirmed.contains(event.href))
                    remote.remove(event.href); // made and deleted again since the token
            }
        }
        // An event listed but not fetched is neither new nor gone this time.
        bool complete = true;
        for (const QString &href : std::as_const(wanted))
            complete = complete && (fetched.contains(href) || !remote.contains(href));

        const std::optional<QStringList> records = recordsHere();
        if (!records)
            return Pass::Failed;

        // Which memos of the last run are still here, and which records are new.
        QHash<QString, qsizetype> unclaimed;
        for (const QString &item : *records)
            ++unclaimed[item];
        QHash<QString, Here> here;
        for (const syncstate::Item &item : std::as_const(m_state.items)) {
            if (!item.heldHere())
                continue;
            qsizetype &count = unclaimed[item.record];
            here.insert(item.href, {count > 0 ? Here::Kind::Same : Here::Kind::Gone, {}});
            if (count > 0)
                --count;
        }
        QStringList newHere;
        for (const QString &item : *records) {
            qsizetype &count = unclaimed[item];
            if (count > 0) {
                --count;
                newHere.append(item);
            }
        }
        // A memo gone and another new on its date is the one memo changed (the window replaces a
        // day's memos with what its box holds): its event is written over, not made anew.
        for (auto it = here.begin(); it != here.end(); ++it) {
            if (it->kind != Here::Kind::Gone)
                continue;
            const QString key = m_state.items.value(it.key()).record.first(8);
            for (qsizetype k = 0; k < newHere.size(); ++k) {
                if (newHere[k].startsWith(key)) {
                    it->kind = Here::Kind::Changed;
                    it->now = newHere.takeAt(k);
                    break;
                }
            }
        }

        QStringList removeHere;
        QStringList addHere;
        QList<Push> pushes;
        syncstate::State next = m_state;
        // Events there that become memos here, unless a new memo here is the same.
        QList<std::pair<Fetched, eventmap::Incoming>> arrived;

        for (const syncstate::Item &item : std::as_const(m_state.items)) {
            const bool gone = !remote.contains(item.href);
            const bool fetchedNow = asked.contains(item.href);
            if (fetchedNow && !fetched.contains(item.href) && !gone)
                continue; // not known this time
            std::optional<eventmap::Incoming> incoming;
            QByteArray etag = item.etag;
            if (fetchedNow && !gone) {
                incoming = eventmap::recordOf(fetched[item.href].data);
                etag = fetched[item.href].etag;
            }
            if (!item.heldHere()) {
                if (gone)
                    next.items.remove(item.href);
                else if (incoming && !incoming->record.isEmpty())
                    arrived.append({fetched[item.href], *incoming});
                else if (incoming)
                    next.items[item.href] = leftItem(item.href, etag, *incoming);
                continue;
            }
            const Here mine = here.value(item.href);
            // What became of it there: nothing, a change to `changed`, gone, or beyond the file.
            const bool foreign = incoming && incoming->record.isEmpty();
            const bool changedThere = incoming && !foreign && incoming->record != item.record;
            syncstate::Item kept = item;
            kept.etag = etag;
            switch (mine.kind) {
            case Here::Kind::Same:
                if (gone) {
                    removeHere.append(item.record);
                    next.items.remove(item.href);
                } else if (foreign) {
                    removeHere.append(item.record);
                    next.items[item.href] = leftItem(item.href, etag, *incoming);
                } else if (changedThere) {
                    removeHere.append(item.record);
                    addHere.append(incoming->record);
                    kept.record = incoming->record;
                    next.items[item.href] = kept;
                } else {
                    next.items[item.href] = kept;
                }
                break;
            case Here::Kind::Gone:
                if (gone) {
                    next.items.remove(item.href);
                } else if (foreign) {
                    next.items[item.href] = leftItem(item.href, etag, *incoming);
                } else if (changedThere) {
                    // Deleted here, changed there: the change stays.
                    addHere.append(incoming->record);
                    kept.record = incoming->record;
                    next.items[item.href] = kept;
                } else {
                    pushes.append({Push::Kind::Delete, item.href, etag, item.uid, item.record});
                }
                break;
            case Here::Kind::Changed:
                if (gone || foreign) {
                    // Changed here, deleted or made unreadable there: the change goes anew.
                    if (gone)
                        next.items.remove(item.href);
                    else
                        next.items[item.href] = leftItem(item.href, etag, *incoming);
                    pushes.append({Push::Kind::Create, {}, {}, {}, mine.now});
                } else if (changedThere && incoming->record != mine.now) {
                    // Changed on both sides: the other side's version beside this one.
                    m_result.bothChanged.append(labelOf(mine.now));
                    addHere.append(incoming->record);
                    kept.record = incoming->record;
                    next.items[item.href] = kept;
                    pushes.append({Push::Kind::Create, {}, {}, {}, mine.now});
                } else if (changedThere) {
                    kept.record = mine.now; // the same change on both sides
                    next.items[item.href] = kept;
                } else {
                    pushes.append({Push::Kind::Update, item.href, etag, item.uid, mine.now});
                }
                break;
            }
        }

        for (auto it = fetched.cbegin(); it != fetched.cend(); ++it) {
            if (m_state.items.contains(it.key()))
                continue;
            const eventmap::Incoming incoming = eventmap::recordOf(it->data);
            if (incoming.record.isEmpty())
                next.items[it.key()] = leftItem(it.key(), it->etag, incoming);
            else
                arrived.append({*it, incoming});
        }
        // The same date and text here and there is one memo: a first run makes the union.
        QMultiHash<QString, qsizetype> newByKey;
        for (qsizetype k = 0; k < newHere.size(); ++k)
            newByKey.insert(eventmap::matchKey(newHere[k]), k);
        QList<bool> matched(newHere.size(), false);
        for (const auto &[event, incoming] : std::as_const(arrived)) {
            syncstate::Item item {event.href, event.etag, incoming.uid, incoming.record, {}, {}};
            const QString key = eventmap::matchKey(incoming.record);
            bool linked = false;
            for (auto found = newByKey.find(key); found != newByKey.end() && found.key() == key;
                 ++found) {
                if (!matched[found.value()]) {
                    matched[found.value()] = true;
                    item.record = newHere[found.value()];
                    linked = true;
                    break;
                }
            }
            if (!linked)
                addHere.append(incoming.record);
            next.items[event.href] = item;
        }
        for (qsizetype k = 0; k < newHere.size(); ++k) {
            if (!matched[k])
                pushes.append({Push::Kind::Create, {}, {}, {}, newHere[k]});
        }

        // This side first, in one locked step; the state follows it.
        if (!removeHere.isEmpty() || !addHere.isEmpty()) {
            const batch::Result done
                    = batch::apply(m_job.memoFile, removeHere, addHere, m_job.store);
            if (done.status == batch::Status::Changed)
                return Pass::Again; // changed by another program since it was read
            if (done.status != batch::Status::Applied)
                return localFailed(outcome::ofBatch(done, m_job.memoFile));
            m_result.addedHere += addHere.size();
            m_result.removedHere += removeHere.size();
        }
        for (const syncstate::Item &item : std::as_const(next.items)) {
            if (!item.heldHere() && !m_knownLeft.contains(item.href)) {
                m_knownLeft.insert(item.href);
                ++m_result.newlyLeft;
            }
        }
        const bool changed = next.items != m_state.items;
        m_state = std::move(next);
        if (changed && !save())
            return Pass::Failed;

        // Then the server, one request at a time, each remembered as soon as it is done.
        bool again = false;
        QSet<QString> createdNow;
        // The state after the last request is saved with the new token, in one write.
        const bool tokenFollows = complete && !token.isEmpty();
        for (qsizetype k = 0; k < pushes.size(); ++k) {
            const bool saveNow = !tokenFollows || k + 1 < pushes.size();
            if (const std::optional<Pass> ended = send(pushes[k], again, createdNow, saveNow))
                return *ended;
        }
        if (again) {
            // Only a whole listing tells for sure what is there now.
            m_listAll = true;
            return !pushes.isEmpty() && tokenFollows && !save() ? Pass::Failed : Pass::Again;
        }
        m_listAll = false;
        if (complete && !token.isEmpty()) {
            // The token was taken before this pass's own writes: it covers all others.
            m_state.token = token;
            m_state.created = createdNow;
            if (!save())
                return Pass::Failed;
        }
        return Pass::Finished;
    }

    static syncstate::Item leftItem(const QString &href, const QByteArray &etag,
                                    const eventmap::Incoming &incoming)
    {
        return {href, etag, incoming.uid, {}, incoming.leftOut.event, incoming.leftOut.reason};
    }

    // Sends one change; returns how the pass ends when it must end now.
    std::optional<Pass> send(const Push &push, bool &again, QSet<QString> &createdNow, bool saveNow)
    {
        Reply reply;
        syncstate::Item item {push.href, {}, push.uid, push.record, {}, {}};
        if (push.kind == Push::Kind::Delete) {
            reply = m_client.send("DELETE", Client::urlOf(m_job.calendar, push.href), {},
                                  {{"If-Match", push.etag}});
        } else {
            QList<std::pair<QByteArray, QByteArray>> headers {
                    {"Content-Type", "text/calendar; charset=utf-8"}};
            if (push.kind == Push::Kind::Create) {
                item.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
                QString folder = m_job.calendar.path(QUrl::FullyDecoded);
                if (!folder.endsWith(u'/'))
                    folder += u'/';
                item.href = folder + item.uid + QStringLiteral(".ics");
                headers.append(std::pair<QByteArray, QByteArray>("If-None-Match", "*"));
            } else {
                headers.append(std::pair<QByteArray, QByteArray>("If-Match", push.etag));
            }
            reply = m_client.send("PUT", Client::urlOf(m_job.calendar, item.href),
                                  eventmap::eventOf(push.record, item.uid, m_job.today), headers);
        }
        if (reply.status == 412) {
            again = true; // changed there meanwhile: fetched and merged in the next pass
            return std::nullopt;
        }
        if (reply.error && !(push.kind == Push::Kind::Delete && reply.status == 404)) {
            if (reply.status == 404 && push.kind == Push::Kind::Update) {
                again = true; // deleted there meanwhile: the change goes anew next pass
                return std::nullopt;
            }
            return remoteFailed(reply.error);
        }
        switch (push.kind) {
        case Push::Kind::Delete:
            m_state.items.remove(push.href);
            ++m_result.deleted;
            break;
        case Push::Kind::Create:
            item.etag = reply.etag;
            m_state.items.insert(item.href, item);
            m_state.created.insert(item.href);
            createdNow.insert(item.href);
            ++m_result.created;
            break;
        case Push::Kind::Update:
            item.etag = reply.etag;
            m_state.items.insert(item.href, item);
            ++m_result.updated;
            break;
        }
        if (saveNow && !save())
            return Pass::Failed;
        return std::nullopt;
    }

    const SyncJob &m_job;
    Client m_client;
    QString m_statePath;
    syncstate::State m_state;
    QSet<QString> m_knownLeft;
    bool m_listAll = false;
    SyncResult m_result;
};

} // namespace

SyncResult synchronize(const SyncJob &job)
{
    return Sync(job).run();
}

} // namespace caldav
