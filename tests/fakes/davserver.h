#pragma once

// Real CalDAV servers for the sync's tests and benchmarks: Radicale (with a bcrypt htpasswd
// login, alice/secret) or xandikos (no login of its own), started on 127.0.0.1 on a free port
// with their data in a temporary folder, and stopped with it. A calendar is made in the user's
// home with the client under test's own MKCALENDAR.

#include "caldav/davclient.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

class DavServer
{
public:
    enum class Kind { Radicale, Xandikos };

    explicit DavServer(Kind kind) : m_kind(kind) { }
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
                && QProcess::execute(QStringLiteral("htpasswd"),
                                     {QStringLiteral("-B"), QStringLiteral("-b"),
                                      QStringLiteral("-c"), root + QStringLiteral("/users"),
                                      QStringLiteral("alice"), QStringLiteral("secret")})
                        != 0)
                return QStringLiteral("htpasswd failed");
            QFile config(root + QStringLiteral("/config"));
            if (!config.open(QIODevice::WriteOnly))
                return QStringLiteral("no config");
            config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n"
                                        "[auth]\ntype = htpasswd\nhtpasswd_filename = %2/users\n"
                                        "htpasswd_encryption = bcrypt\ndelay = 0\n"
                                        "[rights]\ntype = owner_only\n"
                                        "[storage]\nfilesystem_folder = %2/collections\n")
                                 .arg(m_port)
                                 .arg(root)
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
    QUrl base() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port)); }

    caldav::Account account(const QUrl &server = {}) const
    {
        caldav::Account account;
        account.server = server.isEmpty() ? base() : server;
        account.user = m_kind == Kind::Radicale ? QStringLiteral("alice") : QStringLiteral("user");
        account.password = QStringLiteral("secret");
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
    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

    Kind m_kind;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
