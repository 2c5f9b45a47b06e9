#pragma once

// File → カレンダー同期の設定: the CalDAV server, the user, the password, the calendar (picked
// from the server's list after a test of the connection, or made anew), and whether to sync.
// The settings go through the platform layer; the password only to the keyring, by the caller.

#include "caldav/davclient.h"

#include <QDialog>
#include <QList>

class Platform;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

struct SyncSettings
{
    bool enabled = false;
    QString server; // as typed; a bare host gets https://
    QString user;
    QString calendar;    // the calendar's URL
    QString fingerprint; // hex SHA-256 of a certificate the user accepted

    static SyncSettings read(Platform &platform);
    // Returns: false, after telling the user, when a setting could not be saved.
    bool write(Platform &platform) const;
    // The server's address with its scheme.
    QUrl serverUrl() const;
    // The name of the password in the keyring.
    QString keyringKey() const;
    caldav::Account account(const QString &password) const;
};

class SyncDialog : public QDialog
{
public:
    SyncDialog(Platform &platform, const SyncSettings &settings, const QString &password,
               QWidget *parent = nullptr);

    SyncSettings settings() const;
    QString password() const;

    void accept() override;

private:
    // Finds the user's calendars off the window's thread, and says what went wrong.
    void testConnection();
    void makeCalendar();
    // Asks whether to trust the untrusted certificate of `error`; true when the user accepts it.
    bool trusted(const caldav::Error &error);
    void fillCalendars(const QList<caldav::Calendar> &calendars, const QString &chosen);

    Platform &m_platform;
    SyncSettings m_settings;
    QUrl m_home;
    QLineEdit *m_server = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QComboBox *m_calendar = nullptr;
    QCheckBox *m_enabled = nullptr;
    QPushButton *m_newCalendar = nullptr;
};
