#pragma once

// The program's only door to the desktop: message boxes, the file dialogs, the per-user
// settings store, today's date and the web browser. The windows receive one Platform in their
// constructors; tests pass a fake that records what was shown and answers from a script.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QUrl>

#include <optional>

class Platform
{
public:
    virtual ~Platform() = default;

    // A modal box with the OK button only and no icon. Line breaks in `text` are single "\n".
    virtual void showMessage(const QString &text, const QString &title) = 0;

    // A modal Yes/No question with the warning icon, Yes the default.
    // Returns: true for Yes, false for No (or the box closed without an answer).
    virtual bool askYesNo(const QString &text, const QString &title) = 0;

    // A modal question with one button for each of `buttons` (at least two), the first the
    // default and the last the one Escape presses.
    // Returns: the index of the button pressed; the last one when the box was closed without
    // an answer.
    virtual int askChoice(const QString &text, const QString &title, const QStringList &buttons)
            = 0;

    // The save-as dialog. `filters` are Qt name filters, the first one preselected.
    // It never asks about overwriting: choosing an existing file is the normal case.
    // Returns: the chosen path, or nullopt when the user cancelled.
    virtual std::optional<QString> chooseSaveFileName(const QString &proposedName,
                                                      const QStringList &filters)
            = 0;

    // The open-file dialog for an existing file. `filters` as for chooseSaveFileName.
    // Returns: the chosen path, or nullopt when the user cancelled.
    virtual std::optional<QString> chooseOpenFileName(const QStringList &filters) = 0;

    // The per-user settings store. readSetting returns "" when the key is missing.
    virtual QString readSetting(const QString &section, const QString &key) = 0;
    // Returns: false when the value could not be saved (the reason in `error`, if given).
    virtual bool writeSetting(const QString &section, const QString &key, const QString &value,
                              QString *error = nullptr)
            = 0;

    // Today's date from the system clock (local time).
    virtual QDate today() = 0;
    // The time of day from the system clock, for what the window says of the calendar sync.
    virtual QTime timeOfDay() { return QTime::currentTime(); }

    // Opens `url` in the user's web browser. Returns: false when no browser could be started.
    virtual bool openUrl(const QUrl &url) = 0;

    // Tells `text` through the desktop's notification service as well, titled `title`, without
    // waiting. Returns: false when the desktop offers no such service; nothing is shown then.
    virtual bool notifyDesktop(const QString &title, const QString &text)
    {
        Q_UNUSED(title);
        Q_UNUSED(text);
        return false;
    }

    // The desktop's keyring, for the calendar server's password: it is never written to the
    // settings. Returns: the password under `key`; nullopt with the reason in `error` when no
    // keyring answers or it holds none. Without a keyring nothing is stored.
    virtual std::optional<QString> readPassword(const QString &key, QString &error)
    {
        Q_UNUSED(key);
        error = QStringLiteral("no keyring");
        return std::nullopt;
    }
    virtual bool writePassword(const QString &key, const QString &password, QString &error)
    {
        Q_UNUSED(key);
        Q_UNUSED(password);
        error = QStringLiteral("no keyring");
        return false;
    }
    virtual void deletePassword(const QString &key) { Q_UNUSED(key); }

    // A modal question for a password, typed hidden. Returns: nullopt when cancelled.
    virtual std::optional<QString> askPassword(const QString &text, const QString &title)
    {
        Q_UNUSED(text);
        Q_UNUSED(title);
        return std::nullopt;
    }
};
