// The main window's side of the calendar sync: the File menu's commands, the password at
// start-up, the runs (caldav/syncscheduler.h, off the window's thread) and what is told of them.

#include "mainwindow/wincal.h"

#include "caldav/syncmessages.h"
#include "caldav/syncscheduler.h"
#include "common/messages.h"
#include "mainwindow/syncdialog.h"
#include "platform/platform.h"
#include "store/dirs.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>

void wincal::buildSyncCommands(QMenu *file)
{
    file->setToolTipsVisible(true);
    const auto add = [&](const char *name, const QString &caption, const QString &tip,
                         void (wincal::*handler)()) {
        QAction *action = file->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, handler);
    };
    add("syncset", messages::syncSettingsMenuText(), messages::syncSettingsTip(),
        &wincal::syncset_Click);
    add("syncnow", messages::syncNowMenuText(), messages::syncNowTip(), &wincal::syncnow_Click);

    syncStatus = new QLabel(this);
    syncStatus->setObjectName(QStringLiteral("syncstatus"));
    menuBar()->setCornerWidget(syncStatus, Qt::TopRightCorner);
    syncScheduler = new SyncScheduler(this);
    connect(syncScheduler, &SyncScheduler::started, this,
            [this] { syncStatus->setText(messages::syncRunning()); });
    connect(syncScheduler, &SyncScheduler::finished, this, &wincal::syncFinished);
}

std::optional<caldav::SyncJob> wincal::syncJob()
{
    const QString path = dirs::schedulePath(platform);
    if (!syncSettings.enabled || path.isEmpty() || syncSettings.calendar.isEmpty())
        return std::nullopt;
    caldav::SyncJob job;
    job.account = syncSettings.account(syncPassword);
    job.calendar = QUrl(syncSettings.calendar);
    job.memoFile = path;
    job.today = platform.today();
    return job;
}

void wincal::startSync()
{
    syncSettings = SyncSettings::read(platform);
    syncScheduler->setJob({});
    if (!syncSettings.enabled) {
        syncStatus->clear();
        return;
    }
    QString error;
    std::optional<QString> password = platform.readPassword(syncSettings.keyringKey(), error);
    // No keyring answers: asked at every start instead, and told why.
    if (!password)
        password = platform.askPassword(
                messages::syncNoKeyring(error) + u'\n'
                        + messages::syncAskPassword(syncSettings.user,
                                                    syncSettings.serverUrl().host()),
                messages::syncTitle());
    if (!password) {
        syncStatus->setText(messages::syncOff());
        return;
    }
    syncPassword = *password;
    syncScheduler->setJob([this] { return syncJob(); });
    syncScheduler->syncNow();
}

void wincal::syncset_Click()
{
    SyncDialog dialog(platform, syncSettings, syncPassword, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const SyncSettings chosen = dialog.settings();
    if (!chosen.write(platform))
        return;
    if (chosen.keyringKey() != syncSettings.keyringKey())
        platform.deletePassword(syncSettings.keyringKey());
    QString error;
    if (!platform.writePassword(chosen.keyringKey(), dialog.password(), error))
        platform.showMessage(messages::syncNoKeyring(error), messages::syncTitle());
    syncSettings = chosen;
    syncPassword = dialog.password();
    syncToldFailure.clear();
    // Off leaves the memo file and the calendar as they are.
    if (!syncSettings.enabled) {
        syncScheduler->setJob({});
        syncStatus->setText(messages::syncOff());
        return;
    }
    syncScheduler->setJob([this] { return syncJob(); });
    syncScheduler->syncNow();
}

void wincal::syncnow_Click()
{
    if (!syncSettings.enabled)
        return syncset_Click();
    syncScheduler->syncNow();
}

void wincal::tellSyncFailure(const QString &text)
{
    syncStatus->setText(
            messages::syncFailedAt(platform.timeOfDay().toString(QStringLiteral("HH:mm"))));
    if (text == syncToldFailure)
        return;
    syncToldFailure = text;
    platform.showMessage(text, messages::syncTitle());
}

void wincal::offerCertificate(const caldav::Error &error)
{
    const QString question = caldav::describe(error, syncSettings.serverUrl());
    syncStatus->setText(
            messages::syncFailedAt(platform.timeOfDay().toString(QStringLiteral("HH:mm"))));
    // Asked once: a declined certificate is not offered again at every try.
    if (question == syncToldFailure)
        return;
    syncToldFailure = question;
    if (!platform.askYesNo(question, messages::syncTitle()))
        return;
    syncSettings.fingerprint = QString::fromLatin1(error.fingerprint.toHex());
    if (syncSettings.write(platform))
        syncScheduler->syncNow();
}

void wincal::syncFinished(const caldav::SyncResult &result)
{
    using Outcome = caldav::SyncResult::Outcome;
    switch (result.outcome) {
    case Outcome::Busy:
        return;
    case Outcome::LocalFailed:
        return tellSyncFailure(result.message);
    case Outcome::RemoteFailed:
        // Offline it waits quietly and tries again at the next round.
        if (result.error.failure == caldav::Failure::Unreachable
            || result.error.failure == caldav::Failure::Stopped) {
            syncStatus->setText(messages::syncWaitingForNetwork());
            return;
        }
        if (result.error.failure == caldav::Failure::UntrustedCertificate)
            return offerCertificate(result.error);
        return tellSyncFailure(caldav::describe(result.error, syncSettings.serverUrl()));
    case Outcome::Done:
        break;
    }
    syncToldFailure.clear();
    syncStatus->setText(
            messages::syncDoneAt(platform.timeOfDay().toString(QStringLiteral("HH:mm"))));
    if (result.addedHere + result.removedHere > 0)
        scheduleFileChanged();
    if (!result.bothChanged.isEmpty())
        platform.showMessage(messages::syncBothChanged(result.bothChanged), messages::syncTitle());
    if (result.newlyLeft > 0) {
        QStringList lines;
        for (const icalendar::LeftOut &left : result.leftThere)
            lines.append(left.event + QStringLiteral("：") + left.reason);
        platform.showMessage(messages::syncLeftThere(result.leftThere.size(), lines),
                             messages::syncTitle());
    }
}
