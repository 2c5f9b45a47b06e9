#include "store/importadd.h"

#include "common/messages.h"
#include "store/cp932.h"
#include "store/fieldreader.h"
#include "store/filelock.h"
#include "store/icsimport.h"
#include "store/record.h"
#include "store/savefile.h"
#include "store/schedulefile.h"
#include "store/sort.h"
#include "store/target.h"

namespace importadd {

namespace {

Result refused(dirs::AddStatus status, const QString &detail = QString())
{
    Result result;
    result.status = status;
    result.detail = detail;
    return result;
}

// Returns: the number, from 1, of the line that holds `position`.
qsizetype lineAt(QStringView text, qsizetype position)
{
    qsizetype line = 1;
    for (qsizetype k = 0; k < position; ++k) {
        if (text[k] == u'\n'
            || (text[k] == u'\r' && (k + 1 >= text.size() || text[k + 1] != u'\n')))
            ++line;
    }
    return line;
}

} // namespace

Result addMemos(const QString &path, const QList<icalendar::Memo> &memos,
                const StoreOptions &options)
{
    if (path.isEmpty())
        return refused(dirs::AddStatus::NotSet);
    const target::Target file = target::resolve(path);
    if (!file.ok())
        return refused(dirs::AddStatus::FileUnreadable, messages::systemError(file.error));

    // Held from reading the file until its new content is in place.
    filelock::ScheduleLock lock(file.path);
    switch (lock.acquire(options.lockWait)) {
    case filelock::ScheduleLock::Status::Locked:
        break;
    case filelock::ScheduleLock::Status::Busy:
        return refused(dirs::AddStatus::FileLocked);
    case filelock::ScheduleLock::Status::Unusable:
        return refused(dirs::AddStatus::WriteFailed, lock.error());
    }

    const schedulefile::Contents contents = schedulefile::read(file.path);
    if (contents.status == schedulefile::Status::Unreadable)
        return refused(dirs::AddStatus::FileUnreadable, contents.error);
    if (contents.status == schedulefile::Status::Present && contents.firstInvalidByte >= 0)
        return refused(dirs::AddStatus::FileHasInvalidBytes);

    // Every line of the file stays, as an add of one memo keeps the lines of other dates.
    QStringList items;
    qsizetype firstDropped = -1;
    fieldreader::forEachField(
            contents.text, [&](QStringView field) { items.append(field.toString()); },
            [&](qsizetype position) {
                if (firstDropped < 0)
                    firstDropped = position;
            });
    if (firstDropped >= 0) {
        return refused(dirs::AddStatus::FileHasStrayText,
                       QString::number(lineAt(contents.text, firstDropped)));
    }

    const icsimport::Plan plan = icsimport::plan(memos, contents.text);
    Result result;
    result.present = plan.present;
    if (plan.records.isEmpty())
        return result;
    items += plan.records;
    dirs::sortSchedules(items);

    QString text;
    for (const QString &item : std::as_const(items))
        record::appendFileLine(text, item);
    cp932::Encoded bytes = cp932::encode(text);
    if (!bytes.isValid())
        return refused(dirs::AddStatus::FileHasInvalidBytes);
    const savefile::Result saved = savefile::save(file.path, bytes.bytes, options);
    if (!saved.ok)
        return refused(dirs::AddStatus::WriteFailed, saved.error);
    result.added = plan.records.size();
    result.written = std::move(bytes.bytes);
    return result;
}

} // namespace importadd
