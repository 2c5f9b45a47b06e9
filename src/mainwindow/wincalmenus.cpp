// The main window's menu commands and the list of all memos.

#include "mainwindow/wincal.h"

#include "about/frmabt.h"
#include "calendar/datewatcher.h"
#include "common/background.h"
#include "common/helptexts.h"
#include "common/messages.h"
#include "flows/calendarflows.h"
#include "mainwindow/daygrid.h"
#include "mainwindow/koyomiwindow.h"
#include "mainwindow/layout.h"
#include "mainwindow/uifont.h"
#include "platform/platform.h"
#include "session/autostart.h"
#include "store/dirs.h"
#include "store/record.h"
#include "store/setaside.h"
#include "syncedfolder/conflictcopy.h"
#include "syncedfolder/filewatch.h"
#include "widgets/boxlines.h"
#include "widgets/mouseup.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

void wincal::listAll()
{
    listAll(readSchedules().bytes);
}

void wincal::listAll(const QByteArray &bytes)
{
    rekovabas::ListEntries entries = rekovabas::listEntries(bytes);
    // Lines of an earlier listing, perhaps of another file, must not pass for this file's.
    List1->clear();
    // Searched whole, and folded only once a search asks for it.
    listedLines = entries.lines;
    listedFolded.clear();
    // The whole of a long memo is in the memo box of its day.
    for (QString &line : entries.lines)
        line = messages::elided(line, 1000);
    List1->addItems(entries.lines);
    listedRecords = std::move(entries.records);
    filterList(findText->text());
}

void wincal::ske_Click()
{
    const QString current = dirs::schedulePath(platform);
    const std::optional<QString> chosen = platform.chooseSaveFileName(
            // The first file is proposed in the home folder, not in whatever folder the
            // program was started from (a checkout that is cleaned, a temporary folder).
            current.isEmpty() ? QDir::home().filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt")) : current,
            {QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.txt)"), QStringLiteral("All Files (*)")});
    if (!chosen) {
        platform.showMessage(messages::selectionCancelled(), messages::applicationTitle());
        return;
    }
    if (chosen->size() <= 3)
        return;
    if (platform.askYesNo(messages::confirmFile(*chosen), messages::confirmFileTitle())
        && flows::storeSchedulePath(platform, *chosen)) {
        fileWatch->watch(*chosen);
        offerConflictCopies();
    }
}

void wincal::ske2_Click()
{
    platform.showMessage(messages::showSchedulePath(dirs::schedulePath(platform)),
                         messages::applicationTitle());
}

void wincal::skedels_Click()
{
    flows::setAsideAndTell(platform, storeOptions);
}

void wincal::hlptxt_Click()
{
    platform.showMessage(helptexts::helpMessage(appName), messages::applicationTitle());
}

void wincal::sakusya_Click()
{
    frmabt::showInstance(platform);
}

void wincal::about_Click()
{
    platform.showMessage(helptexts::versionMessage(appName), messages::applicationTitle());
}

void wincal::icsexp_Click()
{
    flows::exportSchedules(platform, storeOptions,
                           [this](const std::function<void()> &work) { runBusy(work); });
}

void wincal::icsimp_Click()
{
    if (flows::importSchedules(platform, storeOptions,
                               [this](const std::function<void()> &work) { runBusy(work); }))
        drawMonth(curYear, curMonth);
}

void wincal::EXIT_Click()
{
    close();
}

void wincal::autostart_Click(bool on)
{
    const QString error = autostart::switchTo(on, QCoreApplication::applicationFilePath());
    if (!error.isEmpty())
        platform.showMessage(error, messages::applicationTitle());
    findChild<QAction *>(QStringLiteral("autostart"))->setChecked(autostart::isOn());
}

void wincal::koyomi_Click()
{
    if (!koyomiWindow) {
        koyomiWindow = new KoyomiWindow(this);
        koyomiWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    koyomiWindow->showMonth(curYear, curMonth, holidays);
    koyomiWindow->show();
    koyomiWindow->raise();
    koyomiWindow->activateWindow();
}

void wincal::koyomiexp_Click()
{
    flows::exportKoyomi(platform, curYear, storeOptions);
}
