#include "caldav/davclient.h"

#include "caldav/davxml.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslError>
#include <QTimer>
#include <QUuid>

namespace caldav {

namespace {

constexpr int redirectLimit = 5;
// A request that moves no byte for this long is given up (and the sync tried again later).
constexpr int transferTimeoutMs = 60000;
// Events asked for in one multiget: xandikos answers one in about 14 ms.
constexpr qsizetype fetchBatch = 100;
// sync-collection answers a server cuts short are asked for again, at most this often.
constexpr int truncatedLimit = 1000;

using Headers = QList<std::pair<QByteArray, QByteArray>>;

const QByteArray xmlType = QByteArrayLiteral("application/xml; charset=utf-8");

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

Error statusError(int status)
{
    Error error;
    error.status = status;
    switch (status) {
    case 401:
        error.failure = Failure::WrongPassword;
        break;
    case 403:
        error.failure = Failure::NoRights;
        break;
    case 404:
        error.failure = Failure::NotFound;
        break;
    default:
        error.failure = Failure::ServerError;
        break;
    }
    return error;
}

Error badAnswer(const QString &detail)
{
    Error error;
    error.failure = Failure::BadAnswer;
    error.detail = detail;
    return error;
}

// The path with a slash at its end, as collections are compared.
QString asFolder(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

QByteArray escaped(const QByteArray &text)
{
    return QString::fromUtf8(text).toHtmlEscaped().toUtf8();
}

std::optional<davxml::Multistatus> multistatus(const Reply &reply, Error &error)
{
    if (reply.error) {
        error = reply.error;
        return std::nullopt;
    }
    if (reply.status != 207) {
        error = badAnswer(QStringLiteral("status %1 instead of 207").arg(reply.status));
        return std::nullopt;
    }
    davxml::Multistatus answer = davxml::parse(reply.body);
    if (!answer.ok) {
        error = badAnswer(answer.error);
        return std::nullopt;
    }
    return answer;
}

} // namespace

Client::Client(const Account &account, const std::atomic_bool *stop)
    : m_account(account), m_stop(stop), m_network(std::make_unique<QNetworkAccessManager>())
{
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

Client::~Client() = default;

QUrl Client::urlOf(const QUrl &calendar, const QString &href)
{
    QUrl url = calendar;
    url.setPath(href, QUrl::DecodedMode);
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

Error Client::check(const QUrl &url) const
{
    Error error;
    const QString scheme = url.scheme().toLower();
    if (scheme == QStringLiteral("https"))
        return error;
    const QString host = url.host();
    // A password in the clear only to this machine.
    if (scheme == QStringLiteral("http")
        && (host == QStringLiteral("localhost") || QHostAddress(host).isLoopback()))
        return error;
    error.failure = Failure::InsecureAddress;
    return error;
}

Reply Client::send(const QByteArray &method, const QUrl &url, const QByteArray &body,
                   const Headers &headers, int depth)
{
    QUrl at = url;
    for (int hop = 0; hop <= redirectLimit; ++hop) {
        Reply reply;
        if (const Error refused = check(at)) {
            reply.error = refused;
            return reply;
        }
        reply = once(method, at, body, headers, depth);
        if (reply.error || !isRedirect(reply.status)) {
            if (!reply.error && reply.status >= 400)
                reply.error = statusError(reply.status);
            return reply;
        }
        // The same request again at the new place: Qt's own redirects turn a PROPFIND into a GET.
        const QUrl location = QUrl::fromEncoded(reply.location);
        if (location.isEmpty()) {
            reply.error = badAnswer(QStringLiteral("redirect without a location"));
            return reply;
        }
        at = at.resolved(location);
    }
    Reply reply;
    reply.error = badAnswer(QStringLiteral("too many redirects"));
    return reply;
}

Reply Client::once(const QByteArray &method, const QUrl &url, const QByteArray &body,
                   const Headers &headers, int depth)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(transferTimeoutMs);
    if (!m_account.user.isEmpty())
        request.setRawHeader(
                "Authorization",
                "Basic " + (m_account.user + u':' + m_account.password).toUtf8().toBase64());
    if (depth >= 0)
        request.setRawHeader("Depth", QByteArray::number(depth));
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);

    Reply reply;
    reply.url = url;
    const std::unique_ptr<QNetworkReply> answer(
            m_network->sendCustomRequest(request, method, body));
    bool tooLarge = false;
    bool stopped = false;
    QByteArray data;
    QEventLoop loop;
    QObject::connect(answer.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    const auto cutOff = [&] {
        tooLarge = true;
        answer->abort();
    };
    QObject::connect(answer.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        if (answer->header(QNetworkRequest::ContentLengthHeader).toLongLong() > answerLimit)
            cutOff();
    });
    QObject::connect(answer.get(), &QNetworkReply::readyRead, &loop, [&] {
        data += answer->readAll();
        if (data.size() > answerLimit)
            cutOff();
    });
    QObject::connect(answer.get(), &QNetworkReply::sslErrors, &loop,
                     [&](const QList<QSslError> &errors) {
                         QSslCertificate certificate = answer->sslConfiguration().peerCertificate();
                         if (certificate.isNull() && !errors.isEmpty())
                             certificate = errors.constFirst().certificate();
                         reply.error.fingerprint = certificate.digest(QCryptographicHash::Sha256);
                         // The certificate the user accepted, and no other.
                         if (!m_account.trustedFingerprint.isEmpty()
                             && reply.error.fingerprint == m_account.trustedFingerprint)
                             answer->ignoreSslErrors(errors);
                     });
    QTimer watch;
    if (m_stop) {
        QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
            if (m_stop->load()) {
                stopped = true;
                answer->abort();
            }
        });
        watch.start(100);
    }
    if (!answer->isFinished())
        loop.exec();
    watch.stop();
    if (!tooLarge)
        data += answer->readAll();

    const QByteArray fingerprint = reply.error.fingerprint;
    reply.status = answer->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (stopped) {
        reply.error.failure = Failure::Stopped;
    } else if (tooLarge) {
        reply.error = badAnswer(QStringLiteral("answer larger than %1 bytes").arg(answerLimit));
    } else if (reply.status == 0) {
        reply.error.detail = answer->errorString();
        switch (answer->error()) {
        case QNetworkReply::HostNotFoundError:
            reply.error.failure = Failure::NoSuchServer;
            break;
        case QNetworkReply::SslHandshakeFailedError:
            reply.error.failure
                    = fingerprint.isEmpty() || fingerprint == m_account.trustedFingerprint
                    ? Failure::SecureConnection
                    : Failure::UntrustedCertificate;
            break;
        default:
            reply.error.failure = Failure::Unreachable;
            break;
        }
    } else {
        reply.error = Error {};
        reply.body = std::move(data);
        reply.etag = answer->rawHeader("ETag");
        reply.location = answer->rawHeader("Location");
    }
    return reply;
}

std::optional<QString> Client::propertyHref(const QUrl &url, const char *ns, const char *name,
                                            QUrl &answered, Error &error)
{
    const QByteArray prefix = QByteArray(ns) == "DAV:" ? "d:" : "c:";
    const Reply reply
            = send("PROPFIND", url,
                   davxml::request("d:propfind", "<d:prop><" + prefix + name + "/></d:prop>"),
                   {{"Content-Type", xmlType}}, 0);
    const std::optional<davxml::Multistatus> answer = multistatus(reply, error);
    if (!answer)
        return std::nullopt;
    answered = reply.url;
    const QString wanted = davxml::key(QString::fromLatin1(ns), QString::fromLatin1(name));
    for (const davxml::Response &response : answer->responses) {
        const auto found = response.properties.constFind(wanted);
        if (found != response.properties.constEnd() && !found->hrefs.isEmpty())
            return found->hrefs.constFirst();
    }
    error = Error {};
    error.failure = Failure::NotCalDav;
    return std::nullopt;
}

std::optional<QUrl> Client::calendarHome(Error &error)
{
    QUrl server = m_account.server;
    QList<QUrl> candidates;
    const QUrl wellKnown = server.resolved(QUrl(QStringLiteral("/.well-known/caldav")));
    if (server.path().isEmpty() || server.path() == u'/')
        candidates = {wellKnown, server};
    else
        candidates = {server, wellKnown};
    for (const QUrl &candidate : candidates) {
        QUrl answered;
        const std::optional<QString> principal
                = propertyHref(candidate, "DAV:", "current-user-principal", answered, error);
        if (!principal) {
            // Reasons that another address would not change.
            if (error.failure != Failure::NotFound && error.failure != Failure::NotCalDav
                && error.failure != Failure::BadAnswer && error.failure != Failure::ServerError)
                return std::nullopt;
            continue;
        }
        const QUrl principalUrl = answered.resolved(QUrl(*principal));
        const std::optional<QString> home
                = propertyHref(principalUrl, "urn:ietf:params:xml:ns:caldav", "calendar-home-set",
                               answered, error);
        if (!home)
            return std::nullopt;
        QUrl url = answered.resolved(QUrl(*home));
        url.setPath(asFolder(url.path(QUrl::FullyDecoded)), QUrl::DecodedMode);
        return url;
    }
    if (!error || error.failure == Failure::NotFound || error.failure == Failure::BadAnswer)
        error.failure = Failure::NotCalDav;
    return std::nullopt;
}

QList<Calendar> Client::calendars(const QUrl &home, Error &error)
{
    const Reply reply = send("PROPFIND", home,
                             davxml::request("d:propfind",
                                             "<d:prop><d:resourcetype/><d:displayname/>"
                                             "<c:supported-calendar-component-set/></d:prop>"),
                             {{"Content-Type", xmlType}}, 1);
    QList<Calendar> found;
    const std::optional<davxml::Multistatus> answer = multistatus(reply, error);
    if (!answer)
        return found;
    const QString calendarType = davxml::key(davxml::caldav, QStringLiteral("calendar"));
    for (const davxml::Response &response : answer->responses) {
        const davxml::Property type = response.properties.value(
                davxml::key(davxml::dav, QStringLiteral("resourcetype")));
        if (!type.children.contains(calendarType))
            continue;
        const QStringList components
                = response.properties
                          .value(davxml::key(davxml::caldav,
                                             QStringLiteral("supported-calendar-component-set")))
                          .components;
        if (!components.isEmpty() && !components.contains(QStringLiteral("VEVENT")))
            continue;
        Calendar calendar;
        calendar.url = urlOf(reply.url, asFolder(response.href));
        calendar.name
                = response.properties.value(davxml::key(davxml::dav, QStringLiteral("displayname")))
                          .text.trimmed();
        if (calendar.name.isEmpty())
            calendar.name = response.href.section(u'/', -2, -2);
        found.append(calendar);
    }
    return found;
}

std::optional<QUrl> Client::makeCalendar(const QUrl &home, const QString &name, Error &error)
{
    const QUrl url = urlOf(home,
                           asFolder(home.path(QUrl::FullyDecoded))
                                   + QUuid::createUuid().toString(QUuid::WithoutBraces) + u'/');
    const QByteArray body = davxml::request(
            "c:mkcalendar",
            "<d:set><d:prop><d:displayname>" + name.toHtmlEscaped().toUtf8()
                    + "</d:displayname><c:supported-calendar-component-set>"
                      "<c:comp name=\"VEVENT\"/></c:supported-calendar-component-set>"
                      "</d:prop></d:set>");
    const Reply reply = send("MKCALENDAR", url, body, {{"Content-Type", xmlType}});
    if (reply.error) {
        error = reply.error;
        return std::nullopt;
    }
    return url;
}

std::optional<Listing> Client::list(const QUrl &calendar, Error &error)
{
    const Reply reply
            = send("PROPFIND", calendar,
                   davxml::request("d:propfind", "<d:prop><d:getetag/><d:resourcetype/></d:prop>"),
                   {{"Content-Type", xmlType}}, 1);
    const std::optional<davxml::Multistatus> answer = multistatus(reply, error);
    if (!answer)
        return std::nullopt;
    const QString own = asFolder(calendar.path(QUrl::FullyDecoded));
    const QString collection = davxml::key(davxml::dav, QStringLiteral("collection"));
    const QString etagKey = davxml::key(davxml::dav, QStringLiteral("getetag"));
    Listing listing;
    for (const davxml::Response &response : answer->responses) {
        if (asFolder(response.href) == own
            || response.properties.value(davxml::key(davxml::dav, QStringLiteral("resourcetype")))
                       .children.contains(collection))
            continue;
        const auto etag = response.properties.constFind(etagKey);
        if (etag != response.properties.constEnd())
            listing.insert(response.href, etag->text.trimmed().toUtf8());
    }
    return listing;
}

QByteArray Client::syncToken(const QUrl &calendar, Error &error)
{
    const Reply reply = send("PROPFIND", calendar,
                             davxml::request("d:propfind", "<d:prop><d:sync-token/></d:prop>"),
                             {{"Content-Type", xmlType}}, 0);
    const std::optional<davxml::Multistatus> answer = multistatus(reply, error);
    if (!answer)
        return {};
    for (const davxml::Response &response : answer->responses) {
        const auto token = response.properties.constFind(
                davxml::key(davxml::dav, QStringLiteral("sync-token")));
        if (token != response.properties.constEnd())
            return token->text.trimmed().toUtf8();
    }
    return {};
}

std::optional<Changes> Client::changesSince(const QUrl &calendar, const QByteArray &token,
                                            Error &error)
{
    const QString own = asFolder(calendar.path(QUrl::FullyDecoded));
    const QString etagKey = davxml::key(davxml::dav, QStringLiteral("getetag"));
    Changes changes;
    changes.token = token;
    for (int round = 0; round < truncatedLimit; ++round) {
        const Reply reply = send("REPORT", calendar,
                                 davxml::request("d:sync-collection",
                                                 "<d:sync-token>" + escaped(changes.token)
                                                         + "</d:sync-token><d:sync-level>1"
                                                           "</d:sync-level><d:prop><d:getetag/>"
                                                           "</d:prop>"),
                                 {{"Content-Type", xmlType}});
        const std::optional<davxml::Multistatus> answer = multistatus(reply, error);
        if (!answer)
            return std::nullopt;
        if (answer->syncToken.isEmpty()) {
            error = badAnswer(QStringLiteral("no sync token"));
            return std::nullopt;
        }
        bool truncated = false;
        for (const davxml::Response &response : answer->responses) {
            if (asFolder(response.href) == own) {
                truncated = truncated || response.status == 507;
                continue;
            }
            if (response.status == 404) {
                changes.changed.remove(response.href);
                changes.removed.insert(response.href);
                continue;
            }
            const auto etag = response.properties.constFind(etagKey);
            if (etag != response.properties.constEnd()) {
                changes.removed.remove(response.href);
                changes.changed.insert(response.href, etag->text.trimmed().toUtf8());
            }
        }
        changes.token = answer->syncToken.toUtf8();
        if (!truncated)
            return changes;
    }
    error = badAnswer(QStringLiteral("endless sync report"));
    return std::nullopt;
}

std::optional<QList<Fetched>> Client::fetch(const QUrl &calendar, const QStringList &hrefs,
                                            Error &error)
{
    QList<Fetched> fetched;
    const QString etagKey = davxml::key(davxml::dav, QStringLiteral("getetag"));
    const QString dataKey = davxml::key(davxml::caldav, QStringLiteral("calendar-data"));
    for (qsizetype from = 0; from < hrefs.size(); from += fetchBatch) {
        QByteArray inner = "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
        for (const QString &href : hrefs.mid(from, fetchBatch))
            inner += "<d:href>" + escaped(QUrl::toPercentEncoding(href, "/")) + "</d:href>";
        const Reply reply = send("REPORT", calendar, davxml::request("c:calendar-multiget", inner),
                                 {{"Content-Type", xmlType}}, 1);
        const std::optional<davxml::Multistatus> answer = multistatus(reply, error);
        if (!answer)
            return std::nullopt;
        for (const davxml::Response &response : answer->responses) {
            const auto data = response.properties.constFind(dataKey);
            if (data == response.properties.constEnd()) {
                if (response.status == 404)
                    fetched.append({response.href, {}, {}, true});
                continue;
            }
            fetched.append({response.href,
                            response.properties.value(etagKey).text.trimmed().toUtf8(),
                            data->text.toUtf8()});
        }
    }
    return fetched;
}

} // namespace caldav
