#include "desktop/qtplatform.h"

#include "common/messages.h"
#include "session/notifications.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#include <qt6keychain/keychain.h>

namespace {

QSettings openSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("rekova"),
                     QStringLiteral("rekova"));
}

QByteArray contentsOf(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString keyringService = QStringLiteral("rekova");

// Runs a keyring job to its end. Returns: "" or the keyring's reason. Without a Secret Service
// qtkeychain answers OtherError (7), not NoBackendAvailable: every failure means "no keyring".
QString finished(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() == QKeychain::NoError)
        return QString();
    return QStringLiteral("%1: %2").arg(int(job.error())).arg(job.errorString());
}

QString settingsKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

QWidget *QtPlatform::visibleParent() const
{
    // A question asked from the about window belongs over that window, not the main one.
    if (QWidget *active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    return m_parent && m_parent->isVisible() ? m_parent.data() : nullptr;
}

void QtPlatform::showMessage(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, visibleParent());
    // Texts hold paths and memos: never let a "<" in them be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtPlatform::askYesNo(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No,
                    visibleParent());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int QtPlatform::askChoice(const QString &text, const QString &title, const QStringList &buttons)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, visibleParent());
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size();
        added.append(box.addButton(buttons[i],
                                   last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (added.isEmpty())
        return -1;
    box.setDefaultButton(qobject_cast<QPushButton *>(added.constFirst()));
    box.setEscapeButton(added.constLast());
    box.exec();
    const qsizetype pressed = added.indexOf(box.clickedButton());
    return int(pressed < 0 ? added.size() - 1 : pressed);
}

std::optional<QString> QtPlatform::chooseSaveFileName(const QString &proposedName,
                                                      const QStringList &filters)
{
    QFileDialog dialog(visibleParent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPlatform::chooseOpenFileName(const QStringList &filters)
{
    QFileDialog dialog(visibleParent());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QString QtPlatform::readSetting(const QString &section, const QString &key)
{
    return openSettings().value(settingsKey(section, key)).toString();
}

bool QtPlatform::writeSetting(const QString &section, const QString &key, const QString &value,
                              QString *error)
{
    QSettings settings = openSettings();
    const QByteArray before = contentsOf(settings.fileName());
    settings.setValue(settingsKey(section, key), value);
    settings.sync();
    // A fresh QSettings in this process would still read the unsaved value from Qt's cache, so
    // the status right after sync() is the only witness of a failed save.
    switch (settings.status()) {
    case QSettings::NoError:
        return true;
    case QSettings::AccessError:
        if (error)
            *error = messages::settingsNotWritable(settings.fileName());
        return false;
    case QSettings::FormatError:
        // Qt met lines it did not understand (a byte-order mark, a line edited by hand) and
        // writes the file without them. It keeps this first status when the write then fails,
        // so the file itself tells whether it was written.
        if (contentsOf(settings.fileName()) != before)
            return true;
        if (error)
            *error = messages::settingsNotWritable(settings.fileName());
        return false;
    }
    return false;
}

QDate QtPlatform::today()
{
    return QDate::currentDate();
}

bool QtPlatform::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool QtPlatform::notifyDesktop(const QString &title, const QString &text)
{
    return notifications::send(title, text);
}

std::optional<QString> QtPlatform::readPassword(const QString &key, QString &error)
{
    QKeychain::ReadPasswordJob job(keyringService);
    job.setKey(key);
    error = finished(job);
    if (!error.isEmpty())
        return std::nullopt;
    return job.textData();
}

bool QtPlatform::writePassword(const QString &key, const QString &password, QString &error)
{
    QKeychain::WritePasswordJob job(keyringService);
    job.setKey(key);
    job.setTextData(password);
    error = finished(job);
    return error.isEmpty();
}

void QtPlatform::deletePassword(const QString &key)
{
    QKeychain::DeletePasswordJob job(keyringService);
    job.setKey(key);
    finished(job);
}

std::optional<QString> QtPlatform::askPassword(const QString &text, const QString &title)
{
    bool ok = false;
    const QString password = QInputDialog::getText(visibleParent(), title, text,
                                                   QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return password;
}
