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
    enum class Kind { Message, Question, SaveDialog, OpenUrl, DesktopNotice, OpenDialog };

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
    QMap<QString, QString> settings;
    QDate todayDate {2000, 12, 17};
    bool failSettingWrites = false;
    bool urlOpens = true;
};
