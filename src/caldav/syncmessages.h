#pragma once

// What the user is told of a failed request to the calendar server, from its reason.

#include "caldav/davclient.h"

#include <QString>
#include <QUrl>

namespace caldav {

// A plain Japanese sentence for `error`, naming `server`'s host where it helps.
QString describe(const Error &error, const QUrl &server);

// A SHA-256 fingerprint as certificates show it: "AB:CD:…".
QString fingerprintText(const QByteArray &sha256);

} // namespace caldav
