#pragma once

// Real CalDAV servers for the sync's tests and benchmarks: Radicale (with a bcrypt htpasswd
// login, alice/secret) or xandikos (no login of its own), started on 127.0.0.1 on a free port
// with their data in a temporary folder, and stopped with it. A calendar is made in the user's
// home with the client under test's own MKCALENDAR.

#include "caldav/davclient.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

class DavServer
{
public:
    enum class Kind { Radicale, Xandikos };

    // `tls`: Radicale over HTTPS with a self-signed certificate of its own (certificate()).
    explicit DavServer(Kind kind, bool tls = false) : m_kind(kind), m_tls(tls) { }
    ~DavServer() { stop(); }
    DavServer(const DavServer &) = delete;
    DavServer &operator=(const DavServer &) = delete;

    static QString nameOf(Kind kind)
    {
        return kind == Kind::Radicale ? QStringLiteral("radicale") : QStringLiteral("xandikos");
    }

    // Starts the server (on the same port and data when it ran before). Returns: "" or why not.
    QString start()
    {
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        if (m_port == 0)
            m_port = freePort();
        const QString root = m_dir.path();
        QStringList arguments;
        QString program;
        if (m_kind == Kind::Radicale) {
            if (!QFile::exists(root + QStringLiteral("/users"))
                && quietly(QStringLiteral("htpasswd"),
                           {QStringLiteral("-B"), QStringLiteral("-b"), QStringLiteral("-c"),
                            root + QStringLiteral("/users"), QStringLiteral("alice"),
                            QStringLiteral("secret")})
                        != 0)
                return QStringLiteral("htpasswd failed");
            QString tls;
            if (m_tls) {
                if (quietly(QStringLiteral("openssl"),
                            {QStringLiteral("req"), QStringLiteral("-x509"),
                             QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                             QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"),
                             QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                             QStringLiteral("-keyout"), root + QStringLiteral("/key.pem"),
                             QStringLiteral("-out"), root + QStringLiteral("/cert.pem")})
                    != 0)
                    return QStringLiteral("openssl failed");
                tls = QStringLiteral("ssl = True\ncertificate = %1/cert.pem\nkey = %1/key.pem\n")
                              .arg(root);
            }
            QFile config(root + QStringLiteral("/config"));
            if (!config.open(QIODevice::WriteOnly))
                return QStringLiteral("no config");
            config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%3"
                                        "[auth]\ntype = htpasswd\nhtpasswd_filename = %2/users\n"
                                        "htpasswd_encryption = bcrypt\ndelay = 0\n"
                                        "[rights]\ntype = owner_only\n"
                                        "[storage]\nfilesystem_folder = %2/collections\n")
                                 .arg(m_port)
                                 .arg(root, tls)
                                 .toUtf8());
            config.close();
            program = QStringLiteral("radicale");
            arguments = {QStringLiteral("-C"), config.fileName()};
        } else {
            program = QStringLiteral("xandikos");
            arguments = {QStringLiteral("-d"),        root + QStringLiteral("/data"),
                         QStringLiteral("-l"),        QStringLiteral("127.0.0.1"),
                         QStringLiteral("-p"),        QString::number(m_port),
                         QStringLiteral("--defaults")};
        }
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(program, arguments);
        if (!m_process.waitForStarted())
            return program + QStringLiteral(" did not start");
        // Ready when it accepts a connection.
        for (int k = 0; k < 400; ++k) {
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), m_port);
            if (probe.waitForConnected(50))
                return QString();
            if (m_process.state() == QProcess::NotRunning)
                return program + QStringLiteral(" ended");
            QThread::msleep(25);
        }
        return program + QStringLiteral(" does not answer");
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished();
    }

    quint16 port() const { return m_port; }
    QUrl base() const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/")
                            .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
                            .arg(m_port));
    }

    // The SHA-256 of the HTTPS certificate.
    QByteArray certificate() const
    {
        const QList<QSslCertificate> found
                = QSslCertificate::fromPath(m_dir.path() + QStringLiteral("/cert.pem"));
        return found.isEmpty() ? QByteArray() : found[0].digest(QCryptographicHash::Sha256);
    }

    caldav::Account account(const QUrl &server = {}) const
    {
        caldav::Account account;
        account.server = server.isEmpty() ? base() : server;
        account.user = m_kind == Kind::Radicale ? QStringLiteral("alice") : QStringLiteral("user");
        account.password = QStringLiteral("secret");
        account.trustedFingerprint = m_tls ? certificate() : QByteArray();
        return account;
    }

    // A new calendar in the user's home; empty on failure.
    QUrl makeCalendar()
    {
        caldav::Client client(account());
        caldav::Error error;
        const std::optional<QUrl> home = client.calendarHome(error);
        if (!home)
            return {};
        return client.makeCalendar(*home, QStringLiteral("暦丸"), error).value_or(QUrl());
    }

private:
    // Runs a tool to its end without its chatter. Returns: its exit code, or -1.
    static int quietly(const QString &program, const QStringList &arguments)
    {
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        tool.setStandardErrorFile(QProcess::nullDevice());
        tool.start(program, arguments);
        if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
            return -1;
        return tool.exitCode();
    }

    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    Kind m_kind;
    bool m_tls;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
