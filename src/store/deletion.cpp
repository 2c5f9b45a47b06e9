#include "store/deletion.h"

#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/record.h"
#include "store/transaction.h"

#include <QHash>

#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace deletion {

namespace {

Status statusOf(transaction::Status status)
{
    switch (status) {
    case transaction::Status::Done:
        return Status::Deleted;
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

// The bytes of `bytes` without the units of one field equal to each of `wanted`; nothing when
// some record is not there. Only fields whose first eight bytes are a wanted record's key are
// decoded.
std::optional<QByteArray> without(const QByteArray &bytes, const QStringList &wanted)
{
    QHash<QString, qsizetype> left; // each wanted record, and how many of it are still to find
    QHash<QByteArray, bool> keys;
    for (const QString &record : wanted) {
        ++left[record];
        keys.insert(record.first(qMin<qsizetype>(8, record.size())).toLatin1(), true);
    }
    qsizetype toFind = wanted.size();
    std::vector<std::pair<qsizetype, qsizetype>> cut; // units to take out, in file order
    fieldreader::forEachUnit(
            QByteArrayView(bytes), [&](QByteArrayView field, qsizetype start, qsizetype end) {
                if (toFind == 0
                    || !keys.contains(field.first(qMin<qsizetype>(8, field.size())).toByteArray()))
                    return;
                const auto found = left.find(cp932::decode(field).text);
                if (found == left.end() || found.value() == 0)
                    return;
                --found.value();
                --toFind;
                cut.emplace_back(start, end);
            });
    if (toFind > 0)
        return std::nullopt;
    QByteArray kept;
    kept.reserve(bytes.size());
    qsizetype from = 0;
    for (const auto &[start, end] : cut) {
        kept.append(QByteArrayView(bytes).sliced(from, start - from));
        from = end;
    }
    kept.append(QByteArrayView(bytes).sliced(from));
    return kept;
}

} // namespace

Result deleteRecords(const QString &path, const QStringList &records, const StoreOptions &options)
{
    Result result;
    if (path.isEmpty()) {
        result.status = Status::NotSet;
        return result;
    }
    try {
        transaction::Result done = transaction::applyToBytes(
                path, [&](const QByteArray &bytes) { return without(bytes, records); }, options);
        result.status = statusOf(done.status);
        result.step = done.status;
        result.detail = std::move(done.detail);
        result.written = std::move(done.written);
    } catch (const std::bad_alloc &) {
        result.status = Status::WriteFailed;
        result.step = transaction::Status::WriteFailed;
        result.detail = Reason::of(Reason::Kind::OutOfMemory);
    }
    return result;
}

} // namespace deletion
