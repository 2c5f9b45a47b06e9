#pragma once

// The texts of the Help menu and of the about window.

#include <QString>

namespace helptexts {

// "REKOVA": the stem of the program file name that the help and version texts show.
QString appName();

// "Ver 1.11 (2000/12/17)" followed by a space and the build tag.
QString versionText();

// The help message of "説明".
QString helpMessage(const QString &appName);

// The version message of "about".
QString versionMessage(const QString &appName);

} // namespace helptexts
