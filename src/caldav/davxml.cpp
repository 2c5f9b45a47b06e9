#include "caldav/davxml.h"

#include <QUrl>
#include <QXmlStreamReader>

namespace davxml {

namespace {

constexpr int depthLimit = 32;
constexpr qsizetype responseLimit = 1000000;

class Reader
{
public:
    explicit Reader(QByteArrayView xml) : m_xml(xml.toByteArray()) { }

    Multistatus read()
    {
        Multistatus result;
        if (!next() || !is(dav, u"multistatus"))
            return fail(result, QStringLiteral("no multistatus"));
        while (next()) {
            if (is(dav, u"response")) {
                if (result.responses.size() >= responseLimit)
                    return fail(result, QStringLiteral("too many responses"));
                result.responses.append(response());
            } else if (is(dav, u"sync-token")) {
                result.syncToken = text().trimmed();
            } else {
                skip();
            }
        }
        if (m_xml.hasError())
            return fail(result, m_xml.errorString());
        result.ok = true;
        return result;
    }

private:
    static Multistatus fail(Multistatus &result, const QString &why)
    {
        result.ok = false;
        result.error = why;
        result.responses.clear();
        return result;
    }

    bool is(const QString &ns, QStringView name) const
    {
        return m_xml.namespaceUri() == ns && m_xml.name() == name;
    }

    // The next child element of the current one; false at its end (or at an error).
    bool next()
    {
        if (m_depth > depthLimit) {
            m_xml.raiseError(QStringLiteral("nested too deep"));
            return false;
        }
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
                ++m_depth;
                return true;
            case QXmlStreamReader::EndElement:
                --m_depth;
                return false;
            default:
                break;
            }
        }
        return false;
    }

    void skip()
    {
        while (next())
            skip();
    }

    // The text of the current element and its children; the element is read to its end.
    QString text()
    {
        const int base = m_depth - 1;
        QString value;
        while (!m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::Characters) {
                value += m_xml.text();
            } else if (token == QXmlStreamReader::StartElement) {
                if (++m_depth > depthLimit) {
                    m_xml.raiseError(QStringLiteral("nested too deep"));
                    break;
                }
            } else if (token == QXmlStreamReader::EndElement) {
                if (--m_depth == base)
                    break;
            }
        }
        return value;
    }

    // A path, percent-decoded: servers encode "@" and the like as they see fit.
    QString href() { return pathOf(text().trimmed()); }

    Response response()
    {
        Response found;
        while (next()) {
            if (is(dav, u"href")) {
                found.href = href();
            } else if (is(dav, u"status")) {
                found.status = statusCode(text().trimmed());
            } else if (is(dav, u"propstat")) {
                propstat(found);
            } else {
                skip();
            }
        }
        return found;
    }

    void propstat(Response &found)
    {
        QHash<QString, Property> properties;
        int status = 0;
        while (next()) {
            if (is(dav, u"prop")) {
                while (next())
                    properties.insert(key(m_xml.namespaceUri().toString(), m_xml.name().toString()),
                                      property());
            } else if (is(dav, u"status")) {
                status = statusCode(text().trimmed());
            } else {
                skip();
            }
        }
        if (status / 100 == 2)
            found.properties.insert(properties);
    }

    Property property()
    {
        Property value;
        const int base = m_depth - 1;
        while (!m_xml.atEnd()) {
            const QXmlStreamReader::TokenType token = m_xml.readNext();
            if (token == QXmlStreamReader::Characters) {
                value.text += m_xml.text();
            } else if (token == QXmlStreamReader::StartElement) {
                if (++m_depth > depthLimit) {
                    m_xml.raiseError(QStringLiteral("nested too deep"));
                    break;
                }
                if (m_depth == base + 2)
                    value.children.append(
                            key(m_xml.namespaceUri().toString(), m_xml.name().toString()));
                if (is(dav, u"href")) {
                    value.hrefs.append(href());
                } else if (is(caldav, u"comp")) {
                    value.components.append(
                            m_xml.attributes().value(QStringLiteral("name")).toString());
                }
            } else if (token == QXmlStreamReader::EndElement) {
                if (--m_depth == base)
                    break;
            }
        }
        return value;
    }

    QXmlStreamReader m_xml;
    int m_depth = 0;
};

} // namespace

QString pathOf(const QString &href)
{
    return QUrl(href).path(QUrl::FullyDecoded);
}

int statusCode(QStringView line)
{
    const QList<QStringView> words = line.split(u' ', Qt::SkipEmptyParts);
    if (words.size() < 2)
        return 0;
    bool ok = false;
    const int code = words[1].toInt(&ok);
    return ok ? code : 0;
}

Multistatus parse(QByteArrayView xml)
{
    return Reader(xml).read();
}

QByteArray request(const char *root, const QByteArray &inner)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<") + root
            + " xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">" + inner + "</"
            + QByteArray(root).split(' ').constFirst() + '>';
}

} // namespace davxml
