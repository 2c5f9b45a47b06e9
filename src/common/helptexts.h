#pragma once

// The texts of the Help menu and of the about window. Line breaks in message texts are single
// line feeds; the about window's address box takes carriage return plus line feed.

#include <QString>

namespace helptexts {

// "REKOVA": the stem of the program file name that the help and version texts show.
QString appName();

// "Ver 1.11 (2000/12/17)" followed by a space and the three-character build tag.
QString versionText();

// The help message of "説明": title line with `appName` + ".exe", usage and holiday notes.
QString helpMessage(const QString &appName);

// The version message of "about": the title, an empty line, then `appName` + ".exe", three
// spaces and the version text, ending with a line feed.
QString versionMessage(const QString &appName);

// The about window's address box: "ホームページ：", the home page, "Eメール：", the e-mail
// address, each on its own line (CR LF between, none at the end).
QString addressText(const QString &homePageUrl, const QString &email);

} // namespace helptexts
