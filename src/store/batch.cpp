#include "store/batch.h"

#include "store/cp932.h"
#include "store/record.h"

#include <QHash>

#include <new>

namespace batch {

namespace {

Status statusOf(transaction::Status status)
{
    switch (status) {
    case transaction::Status::Done:
        return Status::Applied;
    case transaction::Status::Refused:
        return Status::Changed;
    case transaction::Status::FileHasInvalidBytes:
        return Status::FileHasInvalidBytes;
    case transaction::Status::FileHasStrayText:
        return Status::FileHasStrayText;
    case transaction::Status::FileUnreadable:
        return Status::FileUnreadable;
    case transaction::Status::FileLocked:
        return Status::FileLocked;
    case transaction::Status::Stopped:
        return Status::Stopped;
    case transaction::Status::WriteFailed:
        break;
    }
    return Status::WriteFailed;
}

Result refused(Status status, const Reason &detail = Reason())
{
    Result result;
    result.status = status;
    result.detail = detail;
    return result;
}

} // namespace

Result apply(const QString &path, const QStringList &removed, const QStringList &added,
             const StoreOptions &options)
{
    if (path.isEmpty())
        return refused(Status::NotSet);
    try {
        // Checked before the lock is taken: a record the file cannot hold stops the whole change.
        QList<QByteArray> encoded;
        encoded.reserve(added.size());
        for (const QString &item : added) {
            if (!record::beginsWithDateKey(QStringView(item)))
                return refused(Status::NotARecord, Reason::named(Reason::Kind::Unencodable, item));
            if (item.contains(u'"'))
                return refused(Status::MemoHasQuote,
                               Reason::named(Reason::Kind::Unencodable, item));
            cp932::Encoded bytes = cp932::encode(item);
            if (!bytes.isValid())
                return refused(Status::MemoNotEncodable,
                               Reason::named(Reason::Kind::Unencodable,
                                             cp932::characterAt(item, bytes.firstUnencodable)));
            encoded.append(std::move(bytes.bytes));
        }
        QHash<QByteArray, bool> keys;
        for (const QString &item : removed)
            keys.insert(record::keyOf(QStringView(item)).toLatin1(), true);

        const auto change = [&](transaction::Fields &fields) {
            QHash<QString, qsizetype> left;
            for (const QString &item : removed)
                ++left[item];
            qsizetype toFind = removed.size();
            fields.removeIf([&](const QByteArray &field) {
                if (toFind == 0
                    || !keys.contains(record::keyOf(QByteArrayView(field)).toByteArray()))
                    return false;
                const auto found = left.find(cp932::decode(field).text);
                if (found == left.end() || found.value() == 0)
                    return false;
                --found.value();
                --toFind;
                return true;
            });
            if (toFind > 0)
                return false;
            fields.append(encoded);
            return true;
        };
        transaction::Result done = transaction::apply(path, change, options);
        Result result;
        result.status = statusOf(done.status);
        result.step = done.status;
        result.detail = std::move(done.detail);
        result.written = std::move(done.written);
        return result;
    } catch (const std::bad_alloc &) {
        Result result = refused(Status::WriteFailed, Reason::of(Reason::Kind::OutOfMemory));
        result.step = transaction::Status::WriteFailed;
        return result;
    }
}

} // namespace batch
