#include "store/savefile.h"

#include "store/faultinjector.h"
#include "store/schedulefile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace savefile {

namespace {

// Bytes handed to one write call; every call is checked on its own, because a full disk can
// make one call write only part of its bytes without reporting an error.
constexpr qsizetype blockSize = 64 * 1024;

Result failed(const QString &reason)
{
    return Result {false, reason};
}

// The reason for a failed call: the system's error when it left one, else Qt's text, else
// `fallback`.
QString reasonFor(int errnoValue, const QFileDevice &file, const QString &fallback)
{
    if (errnoValue != 0)
        return schedulefile::errorText(errnoValue);
    if (file.error() != QFileDevice::NoError && !file.errorString().isEmpty())
        return file.errorString();
    return fallback;
}

QString interruptedText()
{
    return QStringLiteral(
            "書き込みが途中で終わりました（ディスクの空き容量が足りない可能性があります）。");
}

// Something other than a regular file at the path is never replaced: a folder would make the
// save fail anyway, and a FIFO or device is nothing this program wrote.
std::optional<QString> refuseSpecialFile(const QString &path)
{
    struct stat info
    { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return schedulefile::errorText(EISDIR);
    return QStringLiteral("通常のファイルではありません。");
}

} // namespace

Result save(const QString &path, const QByteArray &bytes, FaultInjector *faults)
{
    if (const auto reason = refuseSpecialFile(path))
        return failed(*reason);

    QSaveFile file(path);
    // Writing straight into the old file would lose it if the write stopped half-way.
    file.setDirectWriteFallback(false);
    if (injectedFailure(faults, SaveStep::Open))
        return failed(schedulefile::errorText(EIO));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return failed(reasonFor(errno, file, schedulefile::errorText(EIO)));

    for (qsizetype offset = 0; offset < bytes.size(); offset += blockSize) {
        const QByteArrayView block
                = QByteArrayView(bytes).sliced(offset, qMin(blockSize, bytes.size() - offset));
        if (injectedFailure(faults, SaveStep::Write)) {
            file.cancelWriting();
            return failed(schedulefile::errorText(ENOSPC));
        }
        errno = 0;
        const qint64 written = file.write(block.data(), block.size());
        if (written != block.size()) {
            // Before cancelWriting(), which replaces the error with its own.
            const QString reason = reasonFor(written < 0 ? errno : 0, file, interruptedText());
            file.cancelWriting();
            return failed(reason);
        }
    }

    if (injectedFailure(faults, SaveStep::Flush)) {
        file.cancelWriting();
        return failed(schedulefile::errorText(ENOSPC));
    }
    errno = 0;
    if (!file.flush()) {
        const QString reason = reasonFor(errno, file, interruptedText());
        file.cancelWriting();
        return failed(reason);
    }

    if (injectedFailure(faults, SaveStep::Commit)) {
        file.cancelWriting();
        return failed(schedulefile::errorText(EIO));
    }
    errno = 0;
    if (!file.commit())
        return failed(reasonFor(errno, file, schedulefile::errorText(EIO)));
    return Result {true, QString()};
}

} // namespace savefile
