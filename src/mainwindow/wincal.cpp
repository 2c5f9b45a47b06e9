#include "mainwindow/wincal.h"

#include "about/frmabt.h"
#include "calendar/datewatcher.h"
#include "common/background.h"
#include "common/helptexts.h"
#include "common/linebreaks.h"
#include "common/messages.h"
#include "icalendar/icsexport.h"
#include "icalendar/icsimport.h"
#include "koyomi/koyomi.h"
#include "mainwindow/daygrid.h"
#include "mainwindow/koyomiwindow.h"
#include "mainwindow/layout.h"
#include "mainwindow/uifont.h"
#include "mainwindow/wincalcontrols.h"
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

using wincalcontrols::setBackground;

namespace {
QString toBoxText(const QString &memo)
{
    return withLineFeeds(memo);
}

// The memo box lays out all of a line at once, which takes seconds for a line of a megabyte:
// a longer memo is shown in part (never splitting a surrogate pair) and kept whole for the add.
constexpr qsizetype memoBoxLimit = 20000;

QString memoBoxPart(const QString &memo)
{
    qsizetype end = memoBoxLimit;
    if (memo[end].isLowSurrogate())
        --end;
    return memo.left(end);
}

} // namespace

wincal::wincal(Platform &platform, QWidget *parent, std::unique_ptr<rekovabas::EarlyStart> early)
    : QMainWindow(parent), platform(platform), earlyStart(std::move(early))
{
    setObjectName(QStringLiteral("wincal"));
    if (!earlyStart)
        earlyStart = rekovabas::beginEarly(platform);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFont(uifont::japaneseFont());
    buildMenus();
    buildControls();
    buildMemoCommands(menuBar()->findChild<QMenu *>(QStringLiteral("TOOL")), centralWidget());
    boxlines::useFor(this);
    setWindowSize(layout::entryWidth, layout::calHeight);
    dateWatcher = new DateWatcher(
            platform, [this](QDate before, QDate today) { return dateChanged(before, today); },
            this);
    fileWatch = new FileWatch(this);
    setStoreOptions({});
    stopShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    stopShortcut->setEnabled(false);
    connect(stopShortcut, &QShortcut::activated, this, [this] { stopRequested = true; });
    connect(fileWatch, &FileWatch::changed, this, &wincal::scheduleFileChanged);
    connect(fileWatch, &FileWatch::folderChanged, this, [this] {
        if (adding || QApplication::activeModalWidget())
            fileWatch->postpone();
        else if (dirs::schedulePath(this->platform) != fileWatch->watchedPath())
            scheduleFileChanged(); // another instance chose another file
        else
            lookAtTheFileInBackground(false);
    });
}

wincal::~wincal()
{
    // A look under way reads nothing of the window's; it is waited for, not cut short.
    if (looking) {
        looking->disconnect(this);
        looking->wait();
    }
}

void wincal::Form_Load()
{
    // The clock is read once: the year shown, today's colour and the alarm check agree.
    const QDate date = platform.today();
    initApp(date);
    setWindowSize(layout::calWidth, layout::calHeight);
    setWindowTitle(messages::applicationTitle());
    curMonth = date.month();
    curDay = date.day();
    // The file is read and looked through once for both the month's marks and the notices.
    std::optional<rekovabas::ScheduleCache::Read> early;
    if (earlyStart) {
        early = earlyStart->take();
        earlyStart.reset();
    }
    const rekovabas::Schedules source = readSchedules(std::move(early));
    const rekovabas::StartUp found
            = rekovabas::startUp(source.bytes, curYear, curMonth, rekovabas::todayFrom(date).key());
    drawMonth(curYear, curMonth, rekovabas::marksOf(source, found.month), date);
    alarmCheck(found.notices);
    dateWatcher->start(date);
    fileWatch->watch(source.file.path);
    offerConflictCopies();
    startSync();
}

void wincal::initApp(QDate date)
{
    const kyotu1::AppStart start = kyotu1::initApp(date);
    // Centred at the design size, which is that of the entry state.
    setWindowSize(layout::entryWidth, layout::calHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->geometry();
        move(available.left() + (available.width() - frameGeometry().width()) / 2,
             available.top() + (available.height() - frameGeometry().height()) / 2);
    }
    for (std::size_t i = 0; i < Label1.size(); ++i)
        Label1[i]->setText(start.weekdayHeaders[i]);
    appName = start.appName;
    curYear = start.year;
}

void wincal::setWindowSize(int widthTwips, int heightTwips)
{
    const int width = layout::areaWidth(widthTwips);
    const int height = layout::areaHeight(heightTwips);
    centralWidget()->setFixedSize(width, height);
    int menuHeight = menuBar()->heightForWidth(width);
    if (menuHeight <= 0)
        menuHeight = menuBar()->sizeHint().height();
    setFixedSize(width, menuHeight + height);
    setEntryPaneReachable(widthTwips - layout::borderWidth > layout::Label3.left);
}

// While the window is narrow the entry pane lies outside it: its controls leave the focus
// order, so that nothing can be typed or added for a date that is not on screen.
void wincal::setEntryPaneReachable(bool reachable)
{
    for (const auto &[widget, policy] : entryPane) {
        if (!reachable && widget->hasFocus())
            widget->clearFocus();
        widget->setFocusPolicy(reachable ? policy : Qt::NoFocus);
    }
}

void wincal::drawMonth(int year, int month)
{
    const rekovabas::Schedules source = readSchedules();
    drawMonth(year, month,
              rekovabas::marksOf(source, rekovabas::loadMonthSchedules(source.bytes, year, month)),
              platform.today());
}

void wincal::drawMonth(int year, int month, const std::optional<rekovabas::MonthSchedules> &marks,
                       QDate date)
{
    for (int leftOut = kyotu1::buildHolidays(holidays, year); leftOut > 0; --leftOut)
        platform.showMessage(messages::bug(), messages::applicationTitle());
    if (marks)
        monthSchedules = *marks;

    rekovabas::MonthView view = rekovabas::composeMonth(year, month, holidays,
                                                        rekovabas::todayFrom(date), monthSchedules);
    rekovabas::addKoyomi(view, year, month);
    for (std::size_t k = 0; k < Label2.size(); ++k) {
        const rekovabas::DayCell &cell = view.cells[k];
        Label2[k]->setText(cell.caption);
        setBackground(Label2[k], cell.colour);
        Label2[k]->setVisible(cell.visible);
        // What the colour says, in words for screen readers; the caption stays the day number.
        Label2[k]->setAccessibleName(cell.accessibleName);
        Label2[k]->setAccessibleDescription(cell.accessibleDescription);
        Label2[k]->setToolTip(cell.toolTip);
    }
    Frame1->setTitle(view.caption);
    Frame1->setToolTip(view.captionToolTip);
    if (koyomiWindow)
        koyomiWindow->showMonth(year, month, holidays);
    dayGrid->monthDrawn(year, month, date);
}

void wincal::resetView()
{
    setWindowSize(layout::calWidth, layout::calHeight);
    List1->hide();
    placeListState(false);
    Text2->show();
    // No second add starts inside a running one.
    Command4->setEnabled(!adding);
    Command5->setEnabled(true);
    for (QCheckBox *box : repeatBoxes)
        box->show();
}

void wincal::openDayEntry(int year, int month, int day)
{
    const QString heading = kyotu1::dayHeading(year, month, day, holidays);
    curDay = day;
    setWindowSize(layout::entryWidth, layout::calHeight);
    Label3->setText(heading);
    uifont::fitHeading(Label3);
    showKoyomiLine(QDate(year, month, day));
    // Heard with the memo box, which takes the focus.
    Text2->setAccessibleDescription(heading);
    memoShownInPart.reset();
    Text2->setReadOnly(false);
    Text2->clear();
    loadDayMemo();
}

void wincal::showDayInfo(int year, int month, int day)
{
    const QString text = kyotu1::dayInfoText(year, month, day, holidays);
    if (!text.isEmpty())
        platform.showMessage(text, messages::applicationTitle());
}

void wincal::loadDayMemo()
{
    showDayMemo(readSchedules());
}

void wincal::showDayMemo(const rekovabas::Schedules &source)
{
    Check1->setChecked(true);
    loadedDay = {record::dateKey(curYear, curMonth, curDay), QString(), true, std::nullopt};
    if (!source.file.isSet()) {
        platform.showMessage(messages::scheduleFileNotSet(), messages::applicationTitle());
        return;
    }
    const rekovabas::DayMemo day = rekovabas::loadDayMemo(source.bytes, curYear, curMonth, curDay);
    if (source.file.status != schedulefile::Status::Unreadable)
        loadedDay.records = day.records;
    if (!day.found)
        return;
    QString memo = toBoxText(day.memo);
    if (memo.size() > memoBoxLimit) {
        const QString part = memoBoxPart(memo);
        Text2->setPlainText(part);
        Text2->setReadOnly(true);
        platform.showMessage(messages::memoShownInPart(memo.size(), part.size()),
                             messages::applicationTitle());
        memoShownInPart = std::move(memo);
    } else {
        Text2->setPlainText(memo);
    }
    Check1->setChecked(day.alarm);
    loadedDay.text = Text2->toPlainText();
    loadedDay.alarm = day.alarm;
}

bool wincal::dayBoxEdited() const
{
    return Text2->toPlainText() != loadedDay.text || Check1->isChecked() != loadedDay.alarm;
}

bool wincal::entryPaneOpen() const
{
    return centralWidget()->width() > layout::toPixels(layout::Label3.left);
}

// Every user action reads the file once, here (or finds it as last read), and a file that
// cannot be read is reported once for it.
rekovabas::Schedules wincal::readSchedules(std::optional<rekovabas::ScheduleCache::Read> early)
{
    rekovabas::Schedules source = scheduleCache.read(platform, std::move(early));
    reportUnreadable(source);
    return source;
}

void wincal::reportUnreadable(const rekovabas::Schedules &source)
{
    if (source.file.status == schedulefile::Status::Unreadable)
        platform.showMessage(
                messages::fileUnreadable(source.file.path, messages::reasonText(source.file.error)),
                messages::applicationTitle());
}

void wincal::stepMonth(rekovabas::StepDirection direction, Qt::KeyboardModifiers modifiers)
{
    resetView();
    const bool wholeYear = (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
            == Qt::ShiftModifier;
    const std::optional<rekovabas::YearMonth> to
            = rekovabas::stepMonth({curYear, curMonth}, direction, wholeYear);
    // A step out of the years the calendar computes is refused; the month stays.
    if (!to)
        return;
    curYear = to->year;
    curMonth = to->month;
    drawMonth(curYear, curMonth);
}

void wincal::Command1_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers modifiers)
{
    stepMonth(rekovabas::StepDirection::Back, modifiers);
}

void wincal::Command2_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers modifiers)
{
    stepMonth(rekovabas::StepDirection::Forward, modifiers);
}

void wincal::Command3_Click()
{
    resetView();
}

void wincal::runBusy(const std::function<void()> &work)
{
    // The window keeps answering while the store waits for another program or writes; it shows
    // that it is busy and takes no second add and no menu command meanwhile.
    Command4->setEnabled(false);
    menuBar()->setEnabled(false);
    setCursor(Qt::WaitCursor);
    adding = true;
    stopRequested = false;
    stopShortcut->setEnabled(true);
    // A file of many memos takes a while: the title says how to stop.
    setWindowTitle(messages::busyTitle());
    background::run(work);
    setWindowTitle(messages::applicationTitle());
    stopShortcut->setEnabled(false);
    adding = false;
    unsetCursor();
    menuBar()->setEnabled(true);
    Command4->setEnabled(Command5->isEnabled());
}

void wincal::Command4_Click()
{
    dirs::AddRequest request;
    request.year = curYear;
    request.month = curMonth;
    request.day = curDay;
    // A memo shown in part is stored whole; the box cannot change it.
    request.memo = memoShownInPart.value_or(Text2->toPlainText());
    request.alarm = Check1->isChecked();
    for (std::size_t i = 0; i < repeatBoxes.size(); ++i)
        request.repeat[i] = repeatBoxes[i]->isChecked();
    // Records of the date that arrived since the box was loaded are not replaced unasked.
    if (loadedDay.key == record::dateKey(curYear, curMonth, curDay))
        request.seen = loadedDay.records;
    // What the box holds as the add takes it: the window keeps answering while the add runs, and
    // what is typed meanwhile is not in the file.
    const QString boxText = Text2->toPlainText();
    const bool boxAlarm = Check1->isChecked();
    const dirs::AddResult result
            = flows::addSchedule(platform, request, storeOptions,
                                 [this](const std::function<void()> &work) { runBusy(work); });
    // The boxes belong to the day of the add; another day may be open by now.
    const bool sameDay
            = curDay == request.day && curMonth == request.month && curYear == request.year;
    if (sameDay) {
        for (std::size_t i = 0; i < repeatBoxes.size(); ++i)
            repeatBoxes[i]->setChecked(result.repeat[i]);
    }
    // The month is redrawn from the bytes just written: the add has read the file already, and
    // the file watch need not read it once more for this change.
    if (result.status == dirs::AddStatus::Written)
        showFileAfterStep(result.written);
    // The box now says what the file holds for the date.
    if (result.status == dirs::AddStatus::Written && sameDay) {
        loadedDay.text = boxText;
        loadedDay.alarm = boxAlarm;
        loadedDay.records
                = rekovabas::loadDayMemo(result.written, curYear, curMonth, curDay).records;
    }
}

void wincal::Command5_Click()
{
    List1->show();
    Text2->hide();
    Command4->setEnabled(false);
    Command5->setEnabled(false);
    for (QCheckBox *box : repeatBoxes)
        box->hide();
    placeListState(true);
    listAll();
}

void wincal::Label2_MouseUp(int index, Qt::MouseButton button)
{
    const int day = Label2[std::size_t(index)]->text().trimmed().toInt();
    if (day < 1)
        return;
    if (button == Qt::LeftButton) {
        resetView();
        openDayEntry(curYear, curMonth, day);
        Text2->setFocus(Qt::OtherFocusReason);
    } else if (button == Qt::RightButton) {
        showDayInfo(curYear, curMonth, day);
    }
}

void wincal::closeEvent(QCloseEvent *event)
{
    // Not while an add, an import or a merge runs, as EXIT is not: the program would end before
    // it said whether the memo was written, or asked about a date changed meanwhile.
    if (adding) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
