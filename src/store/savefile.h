#pragma once

// Replacing a file's whole content safely: the bytes go to a new file beside it, named after
// it with ".rekova-save" appended (a name only this program makes), are synced to disk and
// then renamed over the old file in one step. Until that rename the old file is exactly as it
// was; a failure at any step leaves it so and removes the new file, and one that a killed add
// left behind is removed by the next save. The new file gets the old one's permissions (and,
// for root, its owner) before it takes its place.
//
// The caller holds the file's lock (store/filelock.h) and passes the file that is really
// written, a symbolic link already followed (store/target.h).

#include "store/storeoptions.h"

#include <QByteArray>
#include <QString>

namespace savefile {

struct Result
{
    bool ok = false;
    QString error; // the reason, in Japanese, when not ok
};

// Writes `bytes` as the new content of `targetPath`. Of `options`, only the faults apply.
Result save(const QString &targetPath, const QByteArray &bytes, const StoreOptions &options = {});

} // namespace savefile
