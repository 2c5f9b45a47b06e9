#pragma once

#include <QDir>
#include <QString>

// The folder of what the program remembers between runs beside the memo file (what the last
// calendar sync left, the UIDs of imported events): $XDG_STATE_HOME/rekova, by default
// ~/.local/state/rekova.
inline QString stateFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/rekova");
}
