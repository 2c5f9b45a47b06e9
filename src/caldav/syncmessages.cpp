#include "caldav/syncmessages.h"

#include "common/messages.h"

namespace caldav {

QString describe(const Error &error, const QUrl &server)
{
    switch (error.failure) {
    case Failure::None:
        return QString();
    case Failure::WrongPassword:
        return messages::syncWrongPassword();
    case Failure::NoRights:
        return messages::syncNoRights();
    case Failure::NoSuchServer:
        return messages::syncNoSuchServer(server.host());
    case Failure::Unreachable:
    case Failure::Stopped:
        return messages::syncUnreachable();
    case Failure::UntrustedCertificate:
        return messages::syncUntrustedCertificate(fingerprintText(error.fingerprint));
    case Failure::SecureConnection:
        return messages::syncSecureConnection(error.detail);
    case Failure::InsecureAddress:
        return messages::syncInsecureAddress();
    case Failure::NotCalDav:
        return messages::syncNotCalDav();
    case Failure::NotFound:
        return messages::syncCalendarGone();
    case Failure::BadAnswer:
        return messages::syncBadAnswer();
    case Failure::ServerError:
        break;
    }
    return messages::syncServerError(error.status);
}

QString fingerprintText(const QByteArray &sha256)
{
    return QString::fromLatin1(sha256.toHex(':').toUpper());
}

} // namespace caldav
