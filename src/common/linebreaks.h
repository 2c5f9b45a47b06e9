#pragma once

#include <QString>
#include <QStringView>

// The schedule file keeps every line break of a memo as CR LF and a calendar file may hold any
// of CR LF, CR and LF; the boxes, the list and the calendar's events show them as line feeds.
inline QString withLineFeeds(QStringView text)
{
    QString value = text.toString();
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    value.replace(u'\r', u'\n');
    return value;
}
