#pragma once

#include "platform/platform.h"

#include <QPointer>
#include <QWidget>

// The real desktop: QMessageBox, QFileDialog, QSettings, the system clock,
// QDesktopServices and the notification service on D-Bus.
class QtPlatform : public Platform
{
public:
    // The settings live in QSettings("rekova", "rekova"), native format.
    QtPlatform() = default;

    // Dialogs are centred over this window while it is visible.
    void setDialogParent(QWidget *parent) { m_parent = parent; }

    void showMessage(const QString &text, const QString &title) override;
    bool askYesNo(const QString &text, const QString &title) override;
    int askChoice(const QString &text, const QString &title, const QStringList &buttons) override;
    std::optional<QString> chooseSaveFileName(const QString &proposedName,
                                              const QStringList &filters) override;
    std::optional<QString> chooseOpenFileName(const QStringList &filters) override;
    QString readSetting(const QString &section, const QString &key) override;
    bool writeSetting(const QString &section, const QString &key, const QString &value,
                      QString *error) override;
    QDate today() override;
    bool openUrl(const QUrl &url) override;
    bool notifyDesktop(const QString &title, const QString &text) override;
    std::optional<QString> readPassword(const QString &key, QString &error) override;
    bool writePassword(const QString &key, const QString &password, QString &error) override;
    void deletePassword(const QString &key) override;
    std::optional<QString> askPassword(const QString &text, const QString &title) override;

private:
    QWidget *visibleParent() const;

    QPointer<QWidget> m_parent;
};
