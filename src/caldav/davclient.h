#pragma once

// The requests of a calendar sync to a CalDAV server, each sent and waited for on the calling
// thread (which must not be the window's): finding the user's calendars from the server's
// address, listing a calendar's events and their ETags, the changes since a sync token,
// fetching chosen events, writing and deleting one. Redirects are followed by hand, so that a
// PROPFIND stays a PROPFIND; answers are read up to a limit; every failure comes back as a
// reason (Failure) the window can put into words.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QSet>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <optional>

namespace caldav {

enum class Failure {
    None,
    WrongPassword,        // 401
    NoRights,             // 403
    NoSuchServer,         // the host name is unknown
    Unreachable,          // no network, or the server does not answer: tried again later
    UntrustedCertificate, // `fingerprint` holds the certificate's SHA-256
    SecureConnection,     // another failure of TLS
    InsecureAddress,      // http:// to a host that is not this machine
    NotCalDav,            // no calendar home behind the address
    NotFound,             // 404: the calendar is gone
    BadAnswer,            // malformed or too large an answer
    ServerError,          // any other status; `status` holds it
    Stopped,              // stopped from outside
};

struct Error
{
    Failure failure = Failure::None;
    int status = 0;
    QByteArray fingerprint; // SHA-256 of the server's certificate, for UntrustedCertificate
    QString detail;         // the network layer's or the reader's own words, for the log

    explicit operator bool() const { return failure != Failure::None; }
};

struct Account
{
    QUrl server; // as the user typed it: a bare host is enough
    QString user;
    QString password;
    QByteArray trustedFingerprint; // SHA-256 of a certificate the user accepted
};

struct Reply
{
    int status = 0;
    QByteArray body;
    QByteArray etag;
    QByteArray location; // of a redirect
    QUrl url;            // where it was answered, redirects followed
    Error error;
};

struct Calendar
{
    QUrl url;
    QString name;
};

// The events of a calendar: path (percent-decoded) → ETag as the server sent it.
using Listing = QHash<QString, QByteArray>;

struct Changes
{
    Listing changed;
    QSet<QString> removed;
    QByteArray token;
};

struct Fetched
{
    QString href;
    QByteArray etag;
    QByteArray data;   // the calendar text of the event
    bool gone = false; // the server said 404 for it: no data
};

class Client
{
public:
    explicit Client(const Account &account, const std::atomic_bool *stop = nullptr);
    ~Client();
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    // Answers larger than this are cut off and taken as BadAnswer.
    static constexpr qint64 answerLimit = 64 * 1024 * 1024;

    // One request and its answer; an HTTP status of 400 or above is an error.
    Reply send(const QByteArray &method, const QUrl &url, const QByteArray &body = {},
               const QList<std::pair<QByteArray, QByteArray>> &headers = {}, int depth = -1);

    // The calendar home of the account's user, from the server's address.
    std::optional<QUrl> calendarHome(Error &error);
    // The event calendars in the home.
    QList<Calendar> calendars(const QUrl &home, Error &error);
    // Makes a calendar named `name` in the home.
    std::optional<QUrl> makeCalendar(const QUrl &home, const QString &name, Error &error);

    // Every event of the calendar and its ETag.
    std::optional<Listing> list(const QUrl &calendar, Error &error);
    // The calendar's sync token; empty when the server keeps none.
    QByteArray syncToken(const QUrl &calendar, Error &error);
    // The changes since `token`; any failure (an expired token too) comes back as an error.
    std::optional<Changes> changesSince(const QUrl &calendar, const QByteArray &token,
                                        Error &error);
    // The events at `hrefs`: those the server still has, and those it said it has not (gone).
    std::optional<QList<Fetched>> fetch(const QUrl &calendar, const QStringList &hrefs,
                                        Error &error);

    // The URL of an event's path in the calendar.
    static QUrl urlOf(const QUrl &calendar, const QString &href);

private:
    Error check(const QUrl &url) const;
    Reply once(const QByteArray &method, const QUrl &url, const QByteArray &body,
               const QList<std::pair<QByteArray, QByteArray>> &headers, int depth);
    std::optional<QString> propertyHref(const QUrl &url, const char *ns, const char *name,
                                        QUrl &answered, Error &error);

    Account m_account;
    const std::atomic_bool *m_stop;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

} // namespace caldav
