#pragma once

// Starting the program with the user's desktop session: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/com.example.rekova.desktop (~/.config/autostart without the
// variable), which the session reads at login. The entry is written or removed only when the
// user asks, and the entry itself is the state: one removed by hand counts as off.

#include <QString>

namespace autostart {

// Where the entry lives. A relative XDG_CONFIG_HOME is not used, as the sessions ignore it.
QString entryPath();

// Returns: whether the entry is there and not switched off inside it (Hidden=true, or
// X-GNOME-Autostart-enabled=false).
bool isOn();

// The entry's text: the menu entry's name, comment and icon, and a command that starts
// `program`: by its name when it is the rekova found on PATH (the installed one), else by its
// absolute path.
QString entryText(const QString &program);

// Writes the entry for `program`, or removes it. Returns: "" when done, else the message to
// show, in Japanese.
QString switchTo(bool on, const QString &program);

} // namespace autostart
