#include "session/autostart.h"

#include "common/messages.h"
#include "store/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <unistd.h>

namespace autostart {

namespace {

// An argument of Exec in double quotes, as the desktop entry format quotes one.
QString quotedArgument(QString argument)
{
    for (const char *special : {"\\", "\"", "`", "$"})
        argument.replace(QLatin1String(special), QLatin1String("\\") + QLatin1String(special));
    return u'"' + argument + u'"';
}

// A value of a desktop entry string: backslashes and line breaks escaped, % doubled for Exec.
QString entryValue(QString value)
{
    value.replace(u'\\', QLatin1String("\\\\"));
    value.replace(u'\n', QLatin1String("\\n"));
    value.replace(u'\r', QLatin1String("\\r"));
    value.replace(u'\t', QLatin1String("\\t"));
    return value.replace(u'%', QLatin1String("%%"));
}

QString execCommand(const QString &program)
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("rekova"));
    if (!onPath.isEmpty()
        && QFileInfo(onPath).canonicalFilePath() == QFileInfo(program).canonicalFilePath())
        return QStringLiteral("rekova");
    return entryValue(quotedArgument(QFileInfo(program).absoluteFilePath()));
}

} // namespace

QString entryPath()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/autostart/com.example.rekova.desktop");
}

bool isOn()
{
    QFile entry(entryPath());
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    // An entry is a small text; one that is not is no entry of this program's.
    const QByteArray text = entry.read(1 << 16);
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        line.replace(" ", "");
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return false;
    }
    return true;
}

QString entryText(const QString &program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=暦丸\n"
                          "Comment=スケジュールも入れられる万年カレンダーです\n"
                          "Exec=%1\n"
                          "Icon=rekova\n"
                          "Terminal=false\n")
            .arg(execCommand(program));
}

QString switchTo(bool on, const QString &program)
{
    const QString path = entryPath();
    if (on) {
        // A folder that cannot be made shows as the reason the save gives.
        QDir().mkpath(QFileInfo(path).path());
        const savefile::Result saved = savefile::save(path, entryText(program).toUtf8());
        return saved.ok ? QString()
                        : messages::autostartNotWritten(path, messages::reasonText(saved.error));
    }
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return QString();
    const int error = errno;
    return messages::autostartNotRemoved(path, messages::systemError(error));
}

} // namespace autostart
