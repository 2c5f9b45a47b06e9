#pragma once

// Replacing a file's whole content safely: the bytes go to a new file in the same folder, are
// synced to disk and then renamed over the old file in one step. Until that rename the old
// file is exactly as it was; a failure at any step leaves it so. The rename keeps the old
// file's permissions, and a symbolic link at the path stays a link (its target is replaced).

#include <QByteArray>
#include <QString>

class FaultInjector;

namespace savefile {

struct Result
{
    bool ok = false;
    QString error; // the reason, in Japanese, when not ok
};

// Writes `bytes` as the new content of `path`. `faults` may be nullptr.
Result save(const QString &path, const QByteArray &bytes, FaultInjector *faults = nullptr);

} // namespace savefile
