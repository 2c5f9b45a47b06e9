#pragma once

// Reading and writing whole files in tests, byte for byte.

#include <QByteArray>
#include <QFile>
#include <QString>

// The file's bytes, or "<absent>" when it cannot be opened.
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
