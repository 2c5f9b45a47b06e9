// What the main window follows: the memo file on disk, the copies sync tools leave beside it,
// and the clock, for the reminders due.

#include "mainwindow/wincal.h"

#include "caldav/syncscheduler.h"

#include "about/frmabt.h"
#include "calendar/datewatcher.h"
#include "common/background.h"
#include "common/helptexts.h"
#include "common/messages.h"
#include "icalendar/icsexport.h"
#include "icalendar/icsimport.h"
#include "mainwindow/daygrid.h"
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

void wincal::scheduleFileChanged()
{
    // Never under an open box (a question must not change what it asks about), nor during an
    // add, which redraws when it ends.
    if (adding || QApplication::activeModalWidget()) {
        fileWatch->postpone();
        return;
    }
    // Another instance may have chosen another file.
    if (const QString path = dirs::schedulePath(platform); path != fileWatch->watchedPath())
        fileWatch->watch(path);
    lookAtTheFileInBackground(true);
    if (syncScheduler)
        syncScheduler->syncSoon();
}

void wincal::lookAtTheFileInBackground(bool readFile)
{
    if (looking) {
        lookAgain = true;
        lookAgainAtFile = lookAgainAtFile || readFile;
        return;
    }
    // On a slow file system (a network or FUSE folder) an open takes a second: the window
    // answers meanwhile.
    auto found = std::make_shared<LookedAt>();
    found->path = dirs::schedulePath(platform);
    const auto look = [found, readFile] {
        if (readFile)
            found->read = rekovabas::ScheduleCache::readNow(found->path);
        found->copies = conflictcopy::find(found->path);
    };
    looking.reset(QThread::create(look));
    connect(looking.get(), &QThread::finished, this, [this, found] {
        looking->wait();
        looking.reset();
        showChangedFile(*found);
        if (std::exchange(lookAgain, false))
            lookAtTheFileInBackground(std::exchange(lookAgainAtFile, false));
    });
    looking->start();
    // Where no thread can be started (too little memory), the look runs here.
    if (!looking->isRunning() && !looking->isFinished()) {
        looking.reset();
        look();
        showChangedFile(*found);
    }
}

void wincal::showChangedFile(const LookedAt &found)
{
    // What was found may be out of date by now: looked at again when it can be shown.
    if (adding || QApplication::activeModalWidget() || found.path != dirs::schedulePath(platform)) {
        fileWatch->postpone();
        return;
    }
    if (found.read) {
        const rekovabas::Schedules &source = found.read->source;
        scheduleCache.adopt(*found.read);
        reportUnreadable(source);
        drawMonth(curYear, curMonth,
                  rekovabas::marksOf(
                          source, rekovabas::loadMonthSchedules(source.bytes, curYear, curMonth)),
                  platform.today());
        const bool entryState = entryPaneOpen() && List1->isHidden();
        // A memo shown in part cannot be edited, and would be announced again.
        if (entryState && source.file.isSet() && !memoShownInPart && !dayBoxEdited()
            && loadedDay.key == record::dateKey(curYear, curMonth, curDay)) {
            Text2->clear();
            showDayMemo(source);
        }
        // The list of all memos shown says what the file holds now.
        if (!List1->isHidden())
            listAll(source.bytes);
    }
    offerConflictCopies(found.copies);
}

void wincal::offerConflictCopies()
{
    offerConflictCopies(conflictcopy::find(dirs::schedulePath(platform)));
}

void wincal::offerConflictCopies(const conflictcopy::Found &found)
{
    if (copyOffers.offer(platform, found, dirs::schedulePath(platform), storeOptions,
                         [this](const std::function<void()> &work) { runBusy(work); }))
        drawMonth(curYear, curMonth);
}

void wincal::alarmCheck(const rekovabas::AlarmNotices &notices, bool alsoOnDesktop)
{
    const QList<qsizetype> fresh = announcedNotices.takeNew(notices);
    // All go to the desktop before the first box waits for its OK; beyond the first few, one
    // notification counts the rest.
    constexpr qsizetype desktopNoticesAtOnce = 3;
    if (alsoOnDesktop) {
        for (qsizetype i : fresh.first(qMin(fresh.size(), desktopNoticesAtOnce)))
            platform.notifyDesktop(messages::applicationTitle(), notices.text(i).trimmed());
        if (fresh.size() > desktopNoticesAtOnce)
            platform.notifyDesktop(messages::applicationTitle(),
                                   messages::furtherReminders(fresh.size() - desktopNoticesAtOnce));
    }
    for (qsizetype i : fresh)
        platform.showMessage(notices.text(i), messages::applicationTitle());
}

bool wincal::dateChanged(QDate before, QDate today)
{
    // Taken at the next check: a box, or an add that will redraw the month itself, is pending.
    if (adding || QApplication::activeModalWidget())
        return false;
    // The month of the old today follows the clock while only the calendar is seen; an open
    // entry area keeps its date, for which an add is made.
    if (!entryPaneOpen() && curYear == kyotu1::yearShownFor(before) && curMonth == before.month()) {
        curYear = kyotu1::yearShownFor(today);
        curMonth = today.month();
        curDay = today.day();
    }
    const rekovabas::Schedules source = readSchedules();
    const rekovabas::StartUp found = rekovabas::startUp(source.bytes, curYear, curMonth,
                                                        rekovabas::todayFrom(today).key());
    drawMonth(curYear, curMonth, rekovabas::marksOf(source, found.month), today);
    // A box over a minimised or hidden window would wait unseen.
    alarmCheck(found.notices, isMinimized() || !isVisible());
    return true;
}
