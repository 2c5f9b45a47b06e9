// A child process for the fault tests: adds memos to a schedule file the way the program does,
// so that a test can kill it at any moment, run two of it at once, or run it under a file size
// limit or as another user.
//
//   rekova_addtool sequence <file> <first> <count> [<pause>]
//       Prints "ready", then adds memos first .. first + count - 1 of the known sequence
//       (addsequence.h) one after the other, printing "added <n> <t>" after each, where t is
//       the system's monotonic clock in microseconds, and waiting <pause> milliseconds (none
//       by default) before the next, as a person adds one memo after another. Stops at the first
//       add that is not written, printing "failed <n> <status> <detail>", and exits with 1.
//   rekova_addtool schedule <file> [<megabytes>]
//       Adds memo 0 of the sequence as the user would, and prints the message boxes that the add
//       showed as a JSON array of texts. Exits with 0 when the memo was written, else 1. With
//       <megabytes>, the add may take only that much address space beyond what the tool has
//       when it starts the add (RLIMIT_AS, as `prlimit --as` sets it).

#include "addsequence.h"
#include "common/messages.h"
#include "flows/storeflows.h"
#include "platform/platform.h"
#include "store/dirs.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

// Shows nothing: collects the texts of the message boxes and reads the path it was given.
class RecordingPlatform : public Platform
{
public:
    explicit RecordingPlatform(const QString &path) : m_path(path) { }

    void showMessage(const QString &text, const QString &) override { messages.append(text); }
    bool askYesNo(const QString &, const QString &) override { return false; }
    int askChoice(const QString &, const QString &, const QStringList &buttons) override
    {
        return int(buttons.size() - 1);
    }
    std::optional<QString> chooseSaveFileName(const QString &, const QStringList &) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseOpenFileName(const QStringList &) override { return std::nullopt; }
    QString readSetting(const QString &, const QString &) override { return m_path; }
    bool writeSetting(const QString &, const QString &, const QString &, QString *) override
    {
        return false;
    }
    QDate today() override { return QDate(2000, 12, 17); }
    bool openUrl(const QUrl &) override { return false; }

    QJsonArray messages;

private:
    QString m_path;
};

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int addSequence(const QString &path, int first, int count, int pauseMs)
{
    say("ready");
    for (int n = first; n < first + count; ++n) {
        const dirs::AddResult result = dirs::addRecords(path, addsequence::request(n));
        if (result.status != dirs::AddStatus::Written) {
            say("failed " + QByteArray::number(n) + ' ' + QByteArray::number(int(result.status))
                + ' ' + messages::reasonText(result.detail).toUtf8());
            return 1;
        }
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        say("added " + QByteArray::number(n) + ' '
            + QByteArray::number(
                    qint64(std::chrono::duration_cast<std::chrono::microseconds>(now).count())));
        if (pauseMs > 0)
            QThread::msleep(static_cast<unsigned long>(pauseMs));
    }
    return 0;
}

// Limits the address space to what the process has now and `megabytes` more.
bool limitAddressSpace(int megabytes)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (!line.startsWith("VmSize:"))
            continue;
        const rlim_t now = line.mid(7).trimmed().split(' ').first().toULongLong() * 1024;
        const rlimit limit {now + rlim_t(megabytes) * 1024 * 1024, RLIM_INFINITY};
        return ::setrlimit(RLIMIT_AS, &limit) == 0;
    }
    return false;
}

int addSchedule(const QString &path, int megabytes)
{
    RecordingPlatform platform(path);
    if (megabytes > 0 && !limitAddressSpace(megabytes))
        return 2;
    const dirs::AddResult result = flows::addSchedule(platform, addsequence::request(0));
    say(QJsonDocument(platform.messages).toJson(QJsonDocument::Compact));
    return result.status == dirs::AddStatus::Written ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if ((args.size() == 5 || args.size() == 6) && args[1] == QLatin1String("sequence"))
        return addSequence(args[2], args[3].toInt(), args[4].toInt(), args.value(5).toInt());
    if ((args.size() == 3 || args.size() == 4) && args[1] == QLatin1String("schedule"))
        return addSchedule(args[2], args.value(3).toInt());
    std::fputs("usage: rekova_addtool sequence <file> <first> <count> [<pause>] | schedule <file> "
               "[<megabytes>]\n",
               stderr);
    return 2;
}
