#include "caldav/syncstate.h"

#include "common/statefolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace syncstate {

namespace {

const QByteArray header = QByteArrayLiteral("rekova-sync\t1");

// Tabs and line ends in a field would split it.
QByteArray escape(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray unescape(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k] != '\\' || k + 1 == text.size()) {
            out += text[k];
            continue;
        }
        switch (text[++k]) {
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += text[k];
        }
    }
    return out;
}

QString text(QByteArrayView field)
{
    return QString::fromUtf8(unescape(field));
}

} // namespace

QString defaultFolder()
{
    return stateFolder();
}

QString pathFor(const QString &folder, const QString &memoFile, const QUrl &calendar)
{
    const QString target = QFileInfo(memoFile).canonicalFilePath();
    const QByteArray key
            = (target.isEmpty() ? QFileInfo(memoFile).absoluteFilePath() : target).toUtf8() + '\n'
            + calendar.toEncoded();
    return folder + QStringLiteral("/caldav-")
            + QString::fromLatin1(
                    QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24))
            + QStringLiteral(".state");
}

State load(const QString &path)
{
    State state;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return state;
    const QByteArray bytes = file.readAll();
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.isEmpty() || lines.constFirst() != header)
        return state;
    for (qsizetype k = 1; k < lines.size(); ++k) {
        const QList<QByteArray> fields = lines[k].split('\t');
        if (fields.constFirst() == "calendar" && fields.size() == 2) {
            state.calendar = text(fields[1]);
        } else if (fields.constFirst() == "token" && fields.size() == 2) {
            state.token = unescape(fields[1]);
        } else if (fields.constFirst() == "created" && fields.size() == 2) {
            state.created.insert(text(fields[1]));
        } else if (fields.constFirst() == "item" && fields.size() == 7) {
            Item item {text(fields[1]), unescape(fields[2]), text(fields[3]),
                       text(fields[4]), text(fields[5]),     text(fields[6])};
            state.items.insert(item.href, item);
        } else if (!lines[k].isEmpty()) {
            return State {}; // damaged: better to match everything anew than to trust it
        }
    }
    return state;
}

bool save(const QString &path, const State &state, QString &error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("cannot make %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QByteArray bytes = header + '\n';
    bytes += "calendar\t" + escape(state.calendar.toUtf8()) + '\n';
    bytes += "token\t" + escape(state.token) + '\n';
    for (const QString &href : state.created)
        bytes += "created\t" + escape(href.toUtf8()) + '\n';
    for (const Item &item : state.items) {
        bytes += "item\t" + escape(item.href.toUtf8()) + '\t' + escape(item.etag) + '\t'
                + escape(item.uid.toUtf8()) + '\t' + escape(item.record.toUtf8()) + '\t'
                + escape(item.leftEvent.toUtf8()) + '\t' + escape(item.leftReason.toUtf8()) + '\n';
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace syncstate
