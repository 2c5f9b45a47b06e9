#pragma once

// Desktop notifications through the freedesktop service (org.freedesktop.Notifications on the
// session bus), for a reminder that comes while the window cannot be seen.

#include <QString>

namespace notifications {

// Sends a notification with `summary` and `body` (plain text) and does not wait for the
// service's answer. Returns: false at once when no session bus is known or no service holds
// the name there; nothing is started to provide either.
bool send(const QString &summary, const QString &body);

} // namespace notifications
