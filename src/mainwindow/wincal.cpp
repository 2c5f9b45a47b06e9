#include "mainwindow/wincal.h"

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

namespace {

QColor colourOf(quint32 value)
{
    return QColor(rekovabas::redOf(value), rekovabas::greenOf(value), rekovabas::blueOf(value));
}

void setBackground(QWidget *widget, quint32 value)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colourOf(value));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A weekday header or day cell: flat, with a one-pixel border.
void makeCell(QLabel *label)
{
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setMargin(0);
    label->setIndent(0);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
}

QCheckBox *makeCheckBox(QWidget *parent, const layout::Control &control, const QString &caption)
{
    auto *box = twips::place(new QCheckBox(caption, parent), control);
    return box;
}

template<typename Button>
Button *makeButton(QWidget *parent, const layout::Control &control, const QString &caption)
{
    auto *button = twips::place(new Button(caption, parent), control);
    button->setAutoDefault(false);
    return button;
}

// A colour swatch: it does nothing, but Tab stops on it, so it shows where the focus is.
class Swatch : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QFrame::paintEvent(event);
        if (!hasFocus())
            return;
        // White dots show on both pure blue and pure red.
        QPainter painter(this);
        painter.setPen(QPen(Qt::white, 0, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
};

QFrame *makePicture(QWidget *parent, const layout::Control &control, quint32 colour)
{
    auto *picture = twips::place(new Swatch(parent), control);
    picture->setFrameShape(QFrame::NoFrame);
    picture->setFocusPolicy(Qt::StrongFocus);
    setBackground(picture, colour);
    return picture;
}

// The memo box shows line breaks as line feeds; the file keeps every line break as CR LF.
QString toBoxText(QString memo)
{
    memo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    memo.replace(u'\r', u'\n');
    return memo;
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

// The marks found in a file that was read; none from a file that could not be read, so that
// the month keeps the marks it gave before.
std::optional<rekovabas::MonthSchedules> marksOf(const rekovabas::Schedules &source,
                                                 const rekovabas::MonthSchedules &found)
{
    if (source.file.status == schedulefile::Status::Unreadable)
        return std::nullopt;
    return found;
}

} // namespace

wincal::wincal(Platform &platform, QWidget *parent) : QMainWindow(parent), platform(platform)
{
    setObjectName(QStringLiteral("wincal"));
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

void wincal::buildMenus()
{
    const auto addMenu = [this](const char *name, const QString &caption) {
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    // Access keys as Japanese programs write them, after the text: 「設定(&S)」.
    const auto addItem = [this](QMenu *menu, const char *name, const QString &caption,
                                void (wincal::*handler)(), const QKeySequence &keys = {}) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
    };

    QMenu *file = addMenu("FILE", QStringLiteral("&File"));
    addItem(file, "ske", QStringLiteral("スケジュールファイルの設定(&S)"), &wincal::ske_Click);
    addItem(file, "ske2", QStringLiteral("スケジュールファイルの表示(&V)"), &wincal::ske2_Click);
    addItem(file, "icsexp", QStringLiteral("iCalendar ファイルに書き出し(&E)"),
            &wincal::icsexp_Click);
    addItem(file, "icsimp", QStringLiteral("iCalendar ファイルから取り込み(&I)"),
            &wincal::icsimp_Click);
    addItem(file, "EXIT", QStringLiteral("E&XIT"), &wincal::EXIT_Click,
            QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *tool = addMenu("TOOL", QStringLiteral("&Tool"));
    addItem(tool, "skedels", QStringLiteral("ｽｹｼﾞｭｰﾙの削除(&B)"), &wincal::skedels_Click);
    QAction *atLogin = tool->addAction(QStringLiteral("ログイン時に起動(&L)"));
    atLogin->setObjectName(QStringLiteral("autostart"));
    atLogin->setCheckable(true);
    connect(atLogin, &QAction::triggered, this, &wincal::autostart_Click);
    // The entry may have been removed by hand: its state is read each time the menu opens.
    connect(tool, &QMenu::aboutToShow, this, [atLogin] { atLogin->setChecked(autostart::isOn()); });

    QMenu *help = addMenu("HELP", QStringLiteral("&Help"));
    addItem(help, "hlptxt", QStringLiteral("説明(&M)"), &wincal::hlptxt_Click,
            QKeySequence(Qt::Key_F1));
    addItem(help, "sakusya", QStringLiteral("作者(&W)"), &wincal::sakusya_Click);
    addItem(help, "about", QStringLiteral("&about"), &wincal::about_Click);
    // F10 opens the menu bar, as on other desktops.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });
}

void wincal::buildControls()
{
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("area"));
    setCentralWidget(area);

    Frame1 = twips::place(new QGroupBox(area), layout::Frame1);

    for (int i = 0; i < int(Label1.size()); ++i) {
        QLabel *header = new QLabel(Frame1);
        header->setObjectName(QStringLiteral("Label1_%1").arg(i));
        header->setGeometry(layout::label1(i));
        header->setAccessibleName(kyotu1::weekdayFullName(i));
        makeCell(header);
        Label1[std::size_t(i)] = header;
    }
    setBackground(Label1[0], rekovabas::holidayColour);
    setBackground(Label1[1], rekovabas::whiteColour);

    for (int i = 0; i < rekovabas::cellCount; ++i) {
        auto *cell = new DayCellLabel(Frame1);
        cell->setObjectName(QStringLiteral("Label2_%1").arg(i));
        cell->setGeometry(layout::label2(i));
        makeCell(cell);
        if (i == 0 || i == 7 || i == 14)
            setBackground(cell, rekovabas::whiteColour);
        // Cells that only some months use start hidden.
        cell->setVisible(i >= 6 && i <= 27);
        connect(cell, &MouseUpLabel::mouseUp, this,
                [this, i](Qt::MouseButton button, Qt::KeyboardModifiers) {
                    Label2_MouseUp(i, button);
                });
        Label2[std::size_t(i)] = cell;
    }
    dayGrid = new DayGrid(Label2, this);
    connect(dayGrid, &DayGrid::monthStepWanted, this,
            [this](rekovabas::StepDirection direction) { stepMonth(direction, Qt::NoModifier); });

    Command1 = makeButton<MouseUpButton>(area, layout::Command1, layout::captions::Command1);
    connect(Command1, &MouseUpButton::mouseUp, this, &wincal::Command1_MouseUp);
    Picture1 = makePicture(area, layout::Picture1, 0xFF0000);
    Picture2 = makePicture(area, layout::Picture2, 0x0000FF);
    // Two plain colour swatches with no action: named for what they show.
    Picture1->setAccessibleName(QStringLiteral("青の色見本"));
    Picture2->setAccessibleName(QStringLiteral("赤の色見本"));
    Command2 = makeButton<MouseUpButton>(area, layout::Command2, layout::captions::Command2);
    connect(Command2, &MouseUpButton::mouseUp, this, &wincal::Command2_MouseUp);

    Label3 = twips::place(new QLabel(area), layout::Label3);
    Label3->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label3->setLineWidth(1);
    Label3->setIndent(0);
    Label3->setFont(uifont::readableFont());

    Label4 = twips::place(new QLabel(layout::captions::Label4, area), layout::Label4);

    Check1 = makeCheckBox(area, layout::Check1, layout::captions::Check1);

    Text2 = twips::place(new QPlainTextEdit(area), layout::Text2);
    Text2->setAccessibleName(QStringLiteral("スケジュール"));
    Text2->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text2->setFrameStyle(QFrame::Box | QFrame::Plain);
    Text2->setLineWidth(1);
    Text2->setTabChangesFocus(true);
    Text2->setFont(uifont::readableFont());
    // A box that shows only the beginning of a long memo is read-only, yet a screen reader can
    // still put text into it, and the add would store the whole memo without that text.
    connect(Text2, &QPlainTextEdit::textChanged, this, [this] {
        if (memoShownInPart && Text2->isReadOnly() && Text2->toPlainText() != loadedDay.text)
            Text2->setPlainText(loadedDay.text);
    });

    List1 = twips::place(new QListWidget(area), layout::List1);
    List1->setFrameStyle(QFrame::Box | QFrame::Plain);
    List1->setLineWidth(1);
    List1->setUniformItemSizes(true);
    List1->setAccessibleName(QStringLiteral("スケジュール一覧"));
    List1->setFont(uifont::readableFont());
    List1->hide();

    for (std::size_t i = 0; i < repeatBoxes.size(); ++i)
        repeatBoxes[i]
                = makeCheckBox(area, layout::repeatBoxes[i], layout::captions::repeatBoxes[i]);

    Command4 = makeButton<QPushButton>(area, layout::Command4, layout::captions::Command4);
    connect(Command4, &QPushButton::clicked, this, &wincal::Command4_Click);
    Command5 = makeButton<QPushButton>(area, layout::Command5, layout::captions::Command5);
    connect(Command5, &QPushButton::clicked, this, &wincal::Command5_Click);
    Command3 = makeButton<QPushButton>(area, layout::Command3, layout::captions::Command3);
    connect(Command3, &QPushButton::clicked, this, &wincal::Command3_Click);

    const std::array<QWidget *, 15> tabOrder {
            Command1,       Command2,       Picture1,       Picture2,       Command3,
            Text2,          Command4,       List1,          Check1,         Command5,
            repeatBoxes[0], repeatBoxes[1], repeatBoxes[2], repeatBoxes[3], repeatBoxes[4]};
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    for (QWidget *widget : {static_cast<QWidget *>(Check1), static_cast<QWidget *>(Text2),
                            static_cast<QWidget *>(List1), static_cast<QWidget *>(Command3),
                            static_cast<QWidget *>(Command4), static_cast<QWidget *>(Command5)})
        entryPane.push_back({widget, widget->focusPolicy()});
    for (QCheckBox *box : repeatBoxes)
        entryPane.push_back({box, box->focusPolicy()});
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
    const rekovabas::Schedules source = readSchedules();
    const rekovabas::StartUp found
            = rekovabas::startUp(source.bytes, curYear, curMonth, rekovabas::todayFrom(date).key());
    drawMonth(curYear, curMonth, marksOf(source, found.month), date);
    alarmCheck(found.notices);
    dateWatcher->start(date);
    fileWatch->watch(source.file.path);
    offerConflictCopies();
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
              marksOf(source, rekovabas::loadMonthSchedules(source.bytes, year, month)),
              platform.today());
}

void wincal::drawMonth(int year, int month, const std::optional<rekovabas::MonthSchedules> &marks,
                       QDate date)
{
    for (int leftOut = kyotu1::buildHolidays(holidays, year); leftOut > 0; --leftOut)
        platform.showMessage(messages::bug(), messages::applicationTitle());
    if (marks)
        monthSchedules = *marks;

    const rekovabas::MonthView view = rekovabas::composeMonth(
            year, month, holidays, rekovabas::todayFrom(date), monthSchedules);
    for (std::size_t k = 0; k < Label2.size(); ++k) {
        const rekovabas::DayCell &cell = view.cells[k];
        Label2[k]->setText(cell.caption);
        setBackground(Label2[k], cell.colour);
        Label2[k]->setVisible(cell.visible);
        // What the colour says, in words for screen readers; the caption stays the day number.
        Label2[k]->setAccessibleName(cell.accessibleName);
        Label2[k]->setAccessibleDescription(cell.accessibleDescription);
    }
    Frame1->setTitle(view.caption);
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
                  marksOf(source, rekovabas::loadMonthSchedules(source.bytes, curYear, curMonth)),
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
    const QString path = dirs::schedulePath(platform);
    QList<conflictcopy::PassedOver> unreported;
    for (const conflictcopy::PassedOver &entry : found.passedOver) {
        if (!reportedPassedOver.contains(entry.path)) {
            reportedPassedOver.insert(entry.path);
            unreported.append(entry);
        }
    }
    if (!unreported.isEmpty())
        platform.showMessage(conflictcopy::passedOverMessage(unreported),
                             messages::conflictCopyTitle());
    for (const QString &copy : found.copies) {
        if (declinedCopies.contains(copy))
            continue;
        if (!platform.askYesNo(messages::conflictCopyFound(copy, conflictcopy::mergedName(copy)),
                               messages::conflictCopyTitle())) {
            // Asked again at the next start.
            declinedCopies.append(copy);
            continue;
        }
        // Another instance of the program may have merged it while the question was open.
        if (!QFileInfo::exists(copy))
            continue;
        conflictcopy::Result merged;
        runBusy([&] { merged = conflictcopy::merge(path, copy, storeOptions); });
        platform.showMessage(conflictcopy::messageFor(merged, copy), messages::applicationTitle());
        if (merged.status == conflictcopy::Status::Merged
            || merged.status == conflictcopy::Status::RenameFailed)
            drawMonth(curYear, curMonth);
        if (merged.status != conflictcopy::Status::Merged)
            declinedCopies.append(copy);
    }
}

void wincal::listAll()
{
    listAll(readSchedules().bytes);
}

void wincal::listAll(const QByteArray &bytes)
{
    rekovabas::ListEntries entries = rekovabas::listEntries(bytes);
    // Lines of an earlier listing, perhaps of another file, must not pass for this file's.
    List1->clear();
    // The whole of a long memo is in the memo box of its day.
    for (QString &line : entries.lines)
        line = messages::elided(line, 1000);
    List1->addItems(entries.lines);
    listedRecords = std::move(entries.records);
    listedFolded = std::move(entries.folded);
    filterList(findText->text());
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
    drawMonth(curYear, curMonth, marksOf(source, found.month), today);
    // A box over a minimised or hidden window would wait unseen.
    alarmCheck(found.notices, isMinimized() || !isVisible());
    return true;
}

bool wincal::entryPaneOpen() const
{
    return centralWidget()->width() > layout::toPixels(layout::Label3.left);
}

// Every user action reads the file once, here (or finds it as last read), and a file that
// cannot be read is reported once for it.
rekovabas::Schedules wincal::readSchedules()
{
    rekovabas::Schedules source = scheduleCache.read(platform);
    reportUnreadable(source);
    return source;
}

void wincal::reportUnreadable(const rekovabas::Schedules &source)
{
    if (source.file.status == schedulefile::Status::Unreadable)
        platform.showMessage(messages::fileUnreadable(source.file.path, source.file.error),
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
            = dirs::addSchedule(platform, request, storeOptions,
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
    if (result.status == dirs::AddStatus::Written) {
        if (QFileInfo(dirs::schedulePath(platform)).size() == result.written.size())
            fileWatch->seenAsItIs();
        drawMonth(curYear, curMonth,
                  rekovabas::loadMonthSchedules(result.written, curYear, curMonth),
                  platform.today());
    }
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
        && dirs::storeSchedulePath(platform, *chosen)) {
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
    setaside::setAsideAndTell(platform, storeOptions);
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
    icsexport::exportSchedules(platform, storeOptions,
                               [this](const std::function<void()> &work) { runBusy(work); });
}

void wincal::icsimp_Click()
{
    if (icsimport::importSchedules(platform, storeOptions,
                                   [this](const std::function<void()> &work) { runBusy(work); }))
        drawMonth(curYear, curMonth);
}

void wincal::EXIT_Click()
{
    close();
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

void wincal::autostart_Click(bool on)
{
    const QString error = autostart::switchTo(on, QCoreApplication::applicationFilePath());
    if (!error.isEmpty())
        platform.showMessage(error, messages::applicationTitle());
    findChild<QAction *>(QStringLiteral("autostart"))->setChecked(autostart::isOn());
}
