#include "mainwindow/syncdialog.h"

#include "caldav/syncmessages.h"
#include "common/background.h"
#include "common/messages.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString section = QStringLiteral("caldav");

} // namespace

SyncSettings SyncSettings::read(Platform &platform)
{
    SyncSettings settings;
    settings.enabled = platform.readSetting(section, QStringLiteral("enabled")) == u'1';
    settings.server = platform.readSetting(section, QStringLiteral("server"));
    settings.user = platform.readSetting(section, QStringLiteral("user"));
    settings.calendar = platform.readSetting(section, QStringLiteral("calendar"));
    settings.fingerprint = platform.readSetting(section, QStringLiteral("fingerprint"));
    return settings;
}

bool SyncSettings::write(Platform &platform) const
{
    const std::pair<const char *, QString> values[] = {
            {"server", server},
            {"user", user},
            {"calendar", calendar},
            {"fingerprint", fingerprint},
            {"enabled", enabled ? QStringLiteral("1") : QStringLiteral("0")},
    };
    for (const auto &[key, value] : values) {
        QString error;
        if (!platform.writeSetting(section, QLatin1String(key), value, &error)) {
            platform.showMessage(messages::settingNotSaved(error), messages::applicationTitle());
            return false;
        }
    }
    return true;
}

QUrl SyncSettings::serverUrl() const
{
    const QString typed = server.trimmed();
    return QUrl(typed.contains(QStringLiteral("://")) ? typed : QStringLiteral("https://") + typed);
}

QString SyncSettings::keyringKey() const
{
    return QStringLiteral("caldav:%1@%2").arg(user, serverUrl().host());
}

caldav::Account SyncSettings::account(const QString &password) const
{
    caldav::Account account;
    account.server = serverUrl();
    account.user = user;
    account.password = password;
    account.trustedFingerprint = QByteArray::fromHex(fingerprint.toLatin1());
    return account;
}

SyncDialog::SyncDialog(Platform &platform, const SyncSettings &settings, const QString &password,
                       QWidget *parent)
    : QDialog(parent), m_platform(platform), m_settings(settings)
{
    setObjectName(QStringLiteral("syncdialog"));
    setWindowTitle(messages::syncSettingsTitle());
    auto *form = new QFormLayout;
    const auto field = [&](const char *name, const QString &label, const QString &text) {
        auto *edit = new QLineEdit(text, this);
        edit->setObjectName(QLatin1String(name));
        form->addRow(label, edit);
        return edit;
    };
    m_server = field("server", messages::syncServerLabel(), settings.server);
    m_server->setPlaceholderText(QStringLiteral("https://cloud.example.jp"));
    m_user = field("user", messages::syncUserLabel(), settings.user);
    m_password = field("password", messages::syncPasswordLabel(), password);
    m_password->setEchoMode(QLineEdit::Password);

    m_calendar = new QComboBox(this);
    m_calendar->setObjectName(QStringLiteral("calendar"));
    m_newCalendar = new QPushButton(messages::syncNewCalendarButton(), this);
    m_newCalendar->setObjectName(QStringLiteral("newcalendar"));
    m_newCalendar->setEnabled(false);
    auto *calendarRow = new QHBoxLayout;
    calendarRow->addWidget(m_calendar, 1);
    calendarRow->addWidget(m_newCalendar);
    form->addRow(messages::syncCalendarLabel(), calendarRow);
    if (!settings.calendar.isEmpty())
        fillCalendars({{QUrl(settings.calendar), QUrl(settings.calendar).path()}},
                      settings.calendar);

    auto *test = new QPushButton(messages::syncTestButton(), this);
    test->setObjectName(QStringLiteral("testconnection"));
    m_enabled = new QCheckBox(messages::syncEnabledLabel(), this);
    m_enabled->setObjectName(QStringLiteral("enabled"));
    m_enabled->setChecked(settings.enabled);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SyncDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SyncDialog::reject);
    connect(test, &QPushButton::clicked, this, &SyncDialog::testConnection);
    connect(m_newCalendar, &QPushButton::clicked, this, &SyncDialog::makeCalendar);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(test);
    layout->addWidget(m_enabled);
    layout->addWidget(buttons);
    m_server->setMinimumWidth(320);
}

SyncSettings SyncDialog::settings() const
{
    SyncSettings settings = m_settings;
    settings.server = m_server->text().trimmed();
    settings.user = m_user->text().trimmed();
    settings.calendar = m_calendar->currentData().toString();
    settings.enabled = m_enabled->isChecked();
    return settings;
}

QString SyncDialog::password() const
{
    return m_password->text();
}

void SyncDialog::accept()
{
    if (m_enabled->isChecked() && m_calendar->currentData().toString().isEmpty()) {
        m_platform.showMessage(messages::syncNoCalendarChosen(), messages::syncTitle());
        return;
    }
    QDialog::accept();
}

bool SyncDialog::trusted(const caldav::Error &error)
{
    if (!m_platform.askYesNo(caldav::describe(error, settings().serverUrl()),
                             messages::syncTitle()))
        return false;
    m_settings.fingerprint = QString::fromLatin1(error.fingerprint.toHex());
    return true;
}

void SyncDialog::fillCalendars(const QList<caldav::Calendar> &calendars, const QString &chosen)
{
    m_calendar->clear();
    for (const caldav::Calendar &calendar : calendars) {
        const QString url = QString::fromUtf8(calendar.url.toEncoded());
        m_calendar->addItem(calendar.name, url);
        if (url == chosen)
            m_calendar->setCurrentIndex(m_calendar->count() - 1);
    }
}

void SyncDialog::testConnection()
{
    const QString chosen = m_calendar->currentData().toString();
    for (;;) {
        const caldav::Account account = settings().account(password());
        caldav::Error error;
        std::optional<QUrl> home;
        QList<caldav::Calendar> calendars;
        setEnabled(false);
        background::run([&] {
            caldav::Client client(account);
            home = client.calendarHome(error);
            if (home)
                calendars = client.calendars(*home, error);
        });
        setEnabled(true);
        if (error.failure == caldav::Failure::UntrustedCertificate) {
            if (trusted(error))
                continue;
            // Declined: the question is not put again as a message.
            m_platform.showMessage(messages::syncCertificateDeclined(), messages::syncTitle());
            return;
        }
        if (error) {
            m_platform.showMessage(caldav::describe(error, account.server), messages::syncTitle());
            return;
        }
        m_home = *home;
        m_newCalendar->setEnabled(true);
        fillCalendars(calendars, chosen);
        m_platform.showMessage(messages::syncTestPassed(calendars.size()), messages::syncTitle());
        return;
    }
}

void SyncDialog::makeCalendar()
{
    const caldav::Account account = settings().account(password());
    caldav::Error error;
    std::optional<QUrl> made;
    QList<caldav::Calendar> calendars;
    setEnabled(false);
    background::run([&] {
        caldav::Client client(account);
        made = client.makeCalendar(m_home, messages::syncNewCalendarName(), error);
        if (made)
            calendars = client.calendars(m_home, error);
    });
    setEnabled(true);
    if (!made) {
        m_platform.showMessage(caldav::describe(error, account.server), messages::syncTitle());
        return;
    }
    fillCalendars(calendars, QString::fromUtf8(made->toEncoded()));
}
