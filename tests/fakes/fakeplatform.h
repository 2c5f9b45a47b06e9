#pragma once

#include "platform/platform.h"

#include <QList>
#include <QMap>
#include <QQueue>

// A Platform for tests: records every box, dialog and launch, and answers from a script.
// It never opens a window, so no test can block on a modal dialog.
class FakePlatform : public Platform
{
public:
    enum class Kind {
        Message,
        Question,
        SaveDialog,
        OpenUrl,
        DesktopNotice,
        OpenDialog,
        Choice,
        PasswordQuestion
    };

    struct Shown
    {
        Kind kind;
        QString title;
        QString text; // the message text, the proposed file name or the URL
        QStringList filters;
    };

    void showMessage(const QString &text, const QString &title) override
    {
        shown.append({Kind::Message, title, text, {}});
    }

    bool askYesNo(const QString &text, const QString &title) override
    {
        shown.append({Kind::Question, title, text, {}});
        return yesNoAnswers.isEmpty() ? false : yesNoAnswers.dequeue();
    }

    // Answers from `choiceAnswers`, or the last button (cancel) when none is left. The buttons
    // are kept as the filters.
    int askChoice(const QString &text, const QString &title, const QStringList &buttons) override
    {
        shown.append({Kind::Choice, title, text, buttons});
        return choiceAnswers.isEmpty() ? int(buttons.size() - 1) : choiceAnswers.dequeue();
    }

    std::optional<QString> chooseSaveFileName(const QString &proposedName,
                                              const QStringList &filters) override
    {
        shown.append({Kind::SaveDialog, QString(), proposedName, filters});
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
    }

    std::optional<QString> chooseOpenFileName(const QStringList &filters) override
    {
        shown.append({Kind::OpenDialog, QString(), QString(), filters});
        return openAnswers.isEmpty() ? std::nullopt : openAnswers.dequeue();
    }

    QString readSetting(const QString &section, const QString &key) override
    {
        return settings.value(section + u'/' + key);
    }

    bool writeSetting(const QString &section, const QString &key, const QString &value,
                      QString *error) override
    {
        if (failSettingWrites) {
            if (error)
                *error = QStringLiteral("書き込めません");
            return false;
        }
        settings.insert(section + u'/' + key, value);
        return true;
    }

    QDate today() override { return todayDate; }

    bool openUrl(const QUrl &url) override
    {
        shown.append({Kind::OpenUrl, QString(), url.toString(), {}});
        return urlOpens;
    }

    bool notifyDesktop(const QString &title, const QString &text) override
    {
        shown.append({Kind::DesktopNotice, title, text, {}});
        return true;
    }

    // A keyring when `keyringAnswers`, otherwise none (every read and write fails).
    std::optional<QString> readPassword(const QString &key, QString &error) override
    {
        if (keyringAnswers && keyring.contains(key))
            return keyring.value(key);
        error = QStringLiteral("7: no keyring here");
        return std::nullopt;
    }
    bool writePassword(const QString &key, const QString &password, QString &error) override
    {
        if (!keyringAnswers) {
            error = QStringLiteral("7: no keyring here");
            return false;
        }
        keyring.insert(key, password);
        return true;
    }
    std::optional<QString> askPassword(const QString &text, const QString &title) override
    {
        shown.append({Kind::PasswordQuestion, title, text, {}});
        return passwordAnswers.isEmpty() ? std::nullopt : passwordAnswers.dequeue();
    }

    // The texts of the message boxes shown so far, in order.
    QStringList messages() const
    {
        QStringList texts;
        for (const Shown &s : shown) {
            if (s.kind == Kind::Message)
                texts.append(s.text);
        }
        return texts;
    }

    void setSchedulePath(const QString &path)
    {
        settings.insert(QStringLiteral("startup/firstdir"), path);
    }

    QList<Shown> shown;
    QQueue<bool> yesNoAnswers;
    QQueue<std::optional<QString>> saveAnswers;
    QQueue<std::optional<QString>> openAnswers;
    QQueue<int> choiceAnswers;
    QMap<QString, QString> settings;
    QMap<QString, QString> keyring;
    bool keyringAnswers = false;
    QQueue<std::optional<QString>> passwordAnswers;
    QDate todayDate {2000, 12, 17};
    bool failSettingWrites = false;
    bool urlOpens = true;
};
