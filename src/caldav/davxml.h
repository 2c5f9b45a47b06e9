#pragma once

// The XML of WebDAV and CalDAV answers (multistatus), read with QXmlStreamReader. Elements are
// matched by namespace and local name: servers choose their own prefixes. Only what the sync
// uses is kept.

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace davxml {

inline const QString dav = QStringLiteral("DAV:");
inline const QString caldav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

// A property found (status 200 in its propstat).
struct Property
{
    QString text;           // its text, the text of its children included
    QStringList hrefs;      // the DAV:href elements inside it
    QStringList children;   // its child elements, "namespace name" each
    QStringList components; // the name attributes of CalDAV comp elements inside it
};

struct Response
{
    QString href;   // percent-decoded path, as the server sent it
    int status = 0; // the response's own status, when it has one (0: see the properties)
    QHash<QString, Property> properties; // by key(namespace, name)
};

struct Multistatus
{
    bool ok = false; // well-formed, a DAV:multistatus at its root
    QString error;   // the reader's complaint when not
    QList<Response> responses;
    QString syncToken; // the multistatus's own sync-token (sync-collection)
};

inline QString key(const QString &ns, const QString &name)
{
    return ns + u' ' + name;
}

// The path of an href (absolute or not), percent-decoded, as hrefs are compared.
QString pathOf(const QString &href);

// The status code of an HTTP status line ("HTTP/1.1 404 Not Found": 404); 0 when unreadable.
int statusCode(QStringView line);

// Reads a multistatus answer. Elements nested deeper than the answers ever are, and more
// responses than a calendar holds, make it unreadable rather than a load on memory.
Multistatus parse(QByteArrayView xml);

// The body of a request: an XML declaration and `inner` between the root element's tags.
QByteArray request(const char *root, const QByteArray &inner);

} // namespace davxml
