#include "about/frmabt.h"
#include "calendar/datewatcher.h"
#include "common/messages.h"
#include "fakeplatform.h"
#include "filebytes.h"
#include "icalendar/keptuids.h"
#include "mainwindow/koyomiwindow.h"
#include "mainwindow/wincal.h"
#include "store/cp932.h"
#include "store/faultinjector.h"
#include "syncedfolder/filewatch.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

// The main window with a fake desktop, started as the program starts it.
// A save that waits at its first step until the test lets it go, as a slow disk would; after
// ten seconds it goes on by itself, so that a save on the window's thread fails the test
// instead of hanging it.
class HeldSave : public FaultInjector
{
public:
    QSemaphore release;
    bool fails(SaveStep step) override
    {
        if (step == SaveStep::Open)
            release.tryAcquire(1, 10'000);
        return false;
    }
};

struct Window
{
    explicit Window(QDate today = QDate(2001, 2, 14), const QString &fileText = QString())
    {
        platform.todayDate = today;
        if (!fileText.isNull())
            useFile(fileText);
    }

    // Writes `text` as the schedule file (CP932) and sets its path.
    void useFile(const QString &text, const QString &name = QStringLiteral("ｽｹｼﾞｭｰﾙ.txt"))
    {
        path = dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(cp932::encode(text).bytes);
        platform.setSchedulePath(path);
    }

    bool start()
    {
        w = std::make_unique<wincal>(platform);
        w->Form_Load();
        w->show();
        return QTest::qWaitForWindowExposed(w.get());
    }

    template<typename T = QWidget> T *find(const QString &name) const
    {
        return w->findChild<T *>(name);
    }

    // The day cell that shows `day`, or nullptr.
    QLabel *cell(int day) const
    {
        for (int i = 0; i < 37; ++i) {
            QLabel *label = find<QLabel>(QStringLiteral("Label2_%1").arg(i));
            if (!label->isHidden() && label->text().trimmed() == QString::number(day))
                return label;
        }
        return nullptr;
    }

    QString caption() const { return find<QGroupBox>(QStringLiteral("Frame1"))->title(); }

    void trigger(const char *action) const
    {
        w->findChild<QAction *>(QLatin1String(action))->trigger();
    }

    QString fileContents() const
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("<no file>");
        return cp932::decode(file.readAll()).text;
    }

    QTemporaryDir dir;
    QString path;
    FakePlatform platform;
    std::unique_ptr<wincal> w;
};

class tst_wincal : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void geometry_data();
    void geometry();
    void neighbouringCellsShareOneBorder();
    void windowSizePerState();
    void menus();
    void startUpShowsTodaysMonth();
    void clockOutsideTheCalendar_data();
    void clockOutsideTheCalendar();
    void colours_data();
    void colours();
    void accessibleTexts_data();
    void accessibleTexts();
    void koyomiBesideTheHeadingAndInItsWindow();

    void transitions_data();
    void transitions();
    void navigation_data();
    void navigation();
    void keyboardDoesNotStep();
    void keyboardOpensADay_data();
    void keyboardOpensADay();
    void refusedStepStillResetsTheView();
    void nothingHappensOnPictures();
    void entryPaneLeavesTheFocusOrderWhileNarrow();

    void entryHeading_data();
    void entryHeading();
    void dayMemoFromTheFile();
    void longMemoIsShownInPartAndStoredWhole();
    void dayEntryWithoutAFile();
    void rightClickShowsHolidays();
    void listShowsAllMemos();

    void chooseFile();
    void chooseFileCancelledOrDeclined();
    void marksFollowTheFileAtTheNextRedraw();
    void addMemo();
    void addWaitingForTheLockLeavesTheWindowAnswering();
    void unchangedFileIsNotOpenedAgain();
    void deleteUndoAndFindOneMemoAtATime();
    void addOn29February();
    void addRefusedKeepsTheMonth();
    void followsTheFileOnDisk();
    void addAfterTheDateChanged_data();
    void addAfterTheDateChanged();
    void conflictCopyOfferedAtEachStart();
    void setAside();
    void exportAndImportThroughTheMenus();
    void helpMenu();
    void exitClosesTheWindow();

    void alarmNoticesBeforeTheWindowShows();
    void unreadableFileReportedOnceAtStartUp();
    void dateChangeRedrawsAndAnnouncesOnce();
    void autostartEntryFollowsTheTick();
    void syncStartsWithThePasswordFromTheKeyringOrAsked_data();
    void syncStartsWithThePasswordFromTheKeyringOrAsked();
};

void tst_wincal::cleanup()
{
    if (frmabt *about = frmabt::instance())
        about->close();
}

void tst_wincal::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels"); // in its container, 15 twips a pixel

    // clang-format off
    QTest::newRow("Frame1")   << "Frame1"    << QRect(0, 0, 129, 145);
    QTest::newRow("Label1_0") << "Label1_0"  << QRect(8, 16, 17, 17);
    QTest::newRow("Label1_6") << "Label1_6"  << QRect(104, 16, 17, 17);
    QTest::newRow("Label2_0") << "Label2_0"  << QRect(8, 40, 17, 17);
    QTest::newRow("Label2_8") << "Label2_8"  << QRect(24, 56, 17, 17);
    QTest::newRow("Label2_34") << "Label2_34" << QRect(104, 104, 17, 17);
    QTest::newRow("Label2_36") << "Label2_36" << QRect(24, 120, 17, 17);
    QTest::newRow("Command1") << "Command1"  << QRect(8, 152, 41, 25);
    QTest::newRow("Picture1") << "Picture1"  << QRect(56, 152, 17, 9);
    QTest::newRow("Picture2") << "Picture2"  << QRect(56, 168, 17, 9);
    QTest::newRow("Command2") << "Command2"  << QRect(80, 152, 41, 25);
    QTest::newRow("Label4")   << "Label4"    << QRect(144, 16, 297, 17);
    QTest::newRow("Check1")   << "Check1"    << QRect(392, 13, 97, 17);
    QTest::newRow("Text2")    << "Text2"     << QRect(144, 32, 281, 113);
    QTest::newRow("List1")    << "List1"     << QRect(144, 32, 153, 110);
    QTest::newRow("Check2")   << "Check2"    << QRect(432, 32, 73, 17);
    QTest::newRow("Check3")   << "Check3"    << QRect(432, 48, 73, 25);
    QTest::newRow("Check4")   << "Check4"    << QRect(432, 69, 73, 25);
    QTest::newRow("Check5")   << "Check5"    << QRect(432, 96, 73, 17);
    QTest::newRow("Check6")   << "Check6"    << QRect(432, 120, 73, 17);
    QTest::newRow("Command4") << "Command4"  << QRect(144, 152, 129, 25);
    QTest::newRow("Command5") << "Command5"  << QRect(288, 152, 105, 25);
    QTest::newRow("Command3") << "Command3"  << QRect(432, 152, 65, 25);
    // clang-format on
}

void tst_wincal::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    Window t;
    QVERIFY(t.start());
    QWidget *control = t.find(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), pixels);
    const bool inFrame = name.startsWith(QLatin1String("Label1_"))
            || name.startsWith(QLatin1String("Label2_"));
    const QWidget *container = inFrame ? t.find("Frame1") : t.w->centralWidget();
    QCOMPARE(control->parentWidget(), container);
}

void tst_wincal::neighbouringCellsShareOneBorder()
{
    // 2001-04 fills cells 0 to 29; the borders of neighbours must fall on one pixel line.
    Window t(QDate(2001, 4, 10));
    QVERIFY(t.start());
    QLabel *first = t.find<QLabel>("Label2_0");
    QLabel *right = t.find<QLabel>("Label2_1");
    QLabel *below = t.find<QLabel>("Label2_7");
    QCOMPARE(right->x(), first->geometry().right());
    QCOMPARE(below->y(), first->geometry().bottom());

    // Drawn: the shared column is the border colour in both cells, one pixel wide.
    const QImage frame = t.find("Frame1")->grab().toImage();
    const int line = right->x();
    const int y = first->y() + 8;
    QCOMPARE(frame.pixelColor(line, y), QColor(Qt::black));
    QVERIFY(frame.pixelColor(line - 1, y) != QColor(Qt::black));
    QVERIFY(frame.pixelColor(line + 1, y) != QColor(Qt::black));
}

void tst_wincal::windowSizePerState()
{
    Window t;
    QVERIFY(t.start());
    QWidget *area = t.w->centralWidget();
    const auto fixed = [&] { return t.w->minimumSize() == t.w->maximumSize(); };

    QCOMPARE(area->size(), QSize(129, 180));
    QVERIFY(fixed());
    QCOMPARE(t.w->height(), t.w->menuBar()->height() + 180);
    QVERIFY(!(t.w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(t.w->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(t.w->windowTitle(), QStringLiteral("暦丸"));

    QTest::mouseClick(t.cell(13), Qt::LeftButton);
    QCOMPARE(area->size(), QSize(502, 180));
    QVERIFY(fixed());

    QTest::mouseClick(t.find("Command5"), Qt::LeftButton);
    QCOMPARE(area->size(), QSize(502, 180));
    QCOMPARE(t.find("List1")->size(), QSize(353, 110));

    QTest::mouseClick(t.find("Command3"), Qt::LeftButton);
    QCOMPARE(area->size(), QSize(129, 180));
    QVERIFY(fixed());
    // The list keeps its width until the list is shown again.
    QCOMPARE(t.find("List1")->size(), QSize(353, 110));
}

void tst_wincal::menus()
{
    Window t;
    QVERIFY(t.start());
    QStringList seen;
    for (QAction *top : t.w->menuBar()->actions()) {
        seen << top->menu()->objectName() + u'=' + top->text();
        for (QAction *item : top->menu()->actions())
            seen << QStringLiteral("  ") + item->objectName() + u'=' + item->text();
    }
    QCOMPARE(seen,
             (QStringList {"FILE=&File",
                           "  ske=スケジュールファイルの設定(&S)",
                           "  ske2=スケジュールファイルの表示(&V)",
                           "  icsexp=iCalendar ファイルに書き出し(&E)",
                           "  icsimp=iCalendar ファイルから取り込み(&I)",
                           "  koyomiexp=六曜と節気を iCalendar ファイルに書き出し(&R)",
                           "  syncset=カレンダー同期の設定(&Y)...",
                           "  syncnow=今すぐ同期(&N)",
                           "  EXIT=E&XIT",
                           "TOOL=&Tool",
                           "  skedels=ｽｹｼﾞｭｰﾙの削除(&B)",
                           "  autostart=ログイン時に起動(&L)",
                           "  koyomiwin=暦の一覧(&K)",
                           "  =",
                           "  undo=元に戻す(&U)",
                           "  daydel=この日のメモを削除(&D)",
                           "  linedel=選んだメモを削除(&R)",
                           "  find=メモを検索(&F)",
                           "HELP=&Help",
                           "  hlptxt=説明(&M)",
                           "  sakusya=作者(&W)",
                           "  about=&about"}));
    // Each access key once in its menu, and the common commands' keys.
    for (QAction *top : t.w->menuBar()->actions()) {
        QSet<QChar> keys;
        for (QAction *item : top->menu()->actions()) {
            if (item->isSeparator())
                continue;
            const qsizetype mark = item->text().indexOf(u'&');
            QVERIFY2(mark >= 0 && !keys.contains(item->text()[mark + 1].toUpper()),
                     qPrintable(item->text()));
            keys.insert(item->text()[mark + 1].toUpper());
        }
    }
    const auto keysOf = [&](const char *name) {
        return t.w->findChild<QAction *>(QLatin1String(name))->shortcut();
    };
    QCOMPARE(keysOf("EXIT"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(keysOf("undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(keysOf("daydel"), QKeySequence(Qt::CTRL | Qt::Key_D));
    QCOMPARE(keysOf("find"), QKeySequence(Qt::CTRL | Qt::Key_F));
}

void tst_wincal::startUpShowsTodaysMonth()
{
    Window t(QDate(2001, 2, 14));
    QVERIFY(t.start());
    QCOMPARE(t.caption(), QStringLiteral("2001年 2月"));
    QStringList headers;
    for (int i = 0; i < 7; ++i)
        headers << t.find<QLabel>(QStringLiteral("Label1_%1").arg(i))->text();
    QCOMPARE(headers, (QStringList {"日", "月", "火", "水", "木", "金", "土"}));
    // 1 February 2001 is a Thursday: cells 0 to 3 unused, 28 days to cell 31.
    QVERIFY(t.find("Label2_3")->isHidden());
    QCOMPARE(t.find<QLabel>("Label2_4")->text(), QStringLiteral(" 1"));
    QCOMPARE(t.find<QLabel>("Label2_31")->text(), QStringLiteral("28"));
    QVERIFY(t.find("Label2_32")->isHidden());
    QVERIFY(t.find("List1")->isHidden());
    QVERIFY(t.platform.shown.isEmpty());
}

void tst_wincal::clockOutsideTheCalendar_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("caption");
    QTest::newRow("2075") << QDate(2075, 3, 10) << "2069年 3月";
    QTest::newRow("1975") << QDate(1975, 11, 2) << "1980年 11月";
}

void tst_wincal::clockOutsideTheCalendar()
{
    QFETCH(QDate, today);
    QFETCH(QString, caption);
    Window t(today);
    QVERIFY(t.start());
    QCOMPARE(t.caption(), caption);
    QVERIFY(t.find("Label2_10")->isVisibleTo(t.w.get()));
    QVERIFY(t.platform.shown.isEmpty()); // no "バグです"
}

void tst_wincal::colours_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QColor>("colour");

    // Today is 14 February 2001; the file has a memo on 20 February and on 3 November.
    const QColor holiday(255, 192, 192), white(255, 255, 255);
    // clang-format off
    QTest::newRow("2001-02-11 Sunday holiday")     << 2001 << 2  << 11 << holiday;
    QTest::newRow("2001-02-12 substitute Monday")  << 2001 << 2  << 12 << holiday;
    QTest::newRow("2001-02-13 Tuesday")            << 2001 << 2  << 13 << white;
    QTest::newRow("2001-02-14 today")              << 2001 << 2  << 14 << QColor(0, 255, 255);
    QTest::newRow("2001-02-20 memo")               << 2001 << 2  << 20 << QColor(128, 255, 128);
    QTest::newRow("2001-02-17 plain Saturday")     << 2001 << 2  << 17 << white;
    QTest::newRow("2001-11-03 memo on a holiday")  << 2001 << 11 << 3  << QColor(128, 255, 128);
    QTest::newRow("2001-11-23 Friday holiday")     << 2001 << 11 << 23 << holiday;
    QTest::newRow("2001-11-05 Monday after Saturday holiday") << 2001 << 11 << 5 << white;
    // clang-format on
}

void tst_wincal::colours()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QColor, colour);
    Window t(QDate(2001, 2, 14), "\"200102201会議\"\r\n\"200111030文化祭\"\r\n");
    QVERIFY(t.start());
    t.w->drawMonth(year, month);
    QLabel *cell = t.cell(day);
    QVERIFY(cell);
    // Inside the focus mark that today's cell has at start-up.
    const QImage image = cell->grab().toImage();
    QCOMPARE(image.pixelColor(2, 2), colour);
    QCOMPARE(image.pixelColor(0, 8), QColor(Qt::black)); // the border

    // The fixed swatches and headers.
    QCOMPARE(t.find("Picture1")->grab().toImage().pixelColor(3, 3), QColor(0, 0, 255));
    QCOMPARE(t.find("Picture2")->grab().toImage().pixelColor(3, 3), QColor(255, 0, 0));
    QCOMPARE(t.find("Label1_0")->grab().toImage().pixelColor(1, 1), QColor(255, 192, 192));
    QCOMPARE(t.find("Label1_1")->grab().toImage().pixelColor(1, 1), QColor(255, 255, 255));
}

void tst_wincal::accessibleTexts_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<QString>("control"); // a day of the month, or an object name
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    // Today is 14 February 2001; the file has memos on 14 and 20 February and on 3 November.
    const QDate february(2001, 2, 1), november(2001, 11, 1);
    // clang-format off
    QTest::newRow("2001-02-11 Sunday holiday")    << february << "11" << "2001年2月11日 日曜日" << "祝日 建国記念日、平成13年2月11日（日） 旧暦1月19日 先勝";
    QTest::newRow("2001-02-12 substitute Monday") << february << "12" << "2001年2月12日 月曜日" << "振替休日、平成13年2月12日（月） 旧暦1月20日 友引";
    QTest::newRow("2001-02-13 plain Tuesday")     << february << "13" << "2001年2月13日 火曜日" << "平成13年2月13日（火） 旧暦1月21日 先負";
    QTest::newRow("2001-02-14 today with a memo") << february << "14" << "2001年2月14日 水曜日" << "今日、スケジュールあり、平成13年2月14日（水） 旧暦1月22日 仏滅";
    QTest::newRow("2001-02-20 memo")              << february << "20" << "2001年2月20日 火曜日" << "スケジュールあり、平成13年2月20日（火） 旧暦1月28日 仏滅";
    QTest::newRow("2001-11-03 memo on a holiday") << november << "3"  << "2001年11月3日 土曜日" << "祝日 文化の日、スケジュールあり、平成13年11月3日（土） 旧暦9月18日 友引";
    QTest::newRow("2026-12-07 with its solar term") << QDate(2026, 12, 1) << "7" << "2026年12月7日 月曜日" << "令和8年12月7日（月） 旧暦10月29日 友引 大雪";
    QTest::newRow("2033-12-22 閏11月1日")        << QDate(2033, 12, 1) << "22" << "2033年12月22日 木曜日" << "令和15年12月22日（木） 旧暦閏11月1日 大安";
    QTest::newRow("1989-01-08 平成元年")         << QDate(1989, 1, 1) << "8" << "1989年1月8日 日曜日" << "平成元年1月8日（日） 旧暦12月1日 赤口";
    QTest::newRow("unused cell")                  << february << "Label2_0" << "" << "";
    QTest::newRow("previous month")               << february << "Command1" << "前月" << "前の月（Shift を押しながらで前の年）";
    QTest::newRow("next month")                   << february << "Command2" << "翌月" << "次の月（Shift を押しながらで次の年）";
    QTest::newRow("blue swatch")                  << february << "Picture1" << "青の色見本" << "色見本（押しても何も起きません）";
    QTest::newRow("red swatch")                   << february << "Picture2" << "赤の色見本" << "色見本（押しても何も起きません）";
    QTest::newRow("memo box")                     << february << "Text2" << "スケジュール" << "";
    QTest::newRow("list of all memos")            << february << "List1" << "スケジュール一覧" << "";
    QTest::newRow("Sunday header")                << february << "Label1_0" << "日曜日" << "";
    // clang-format on
}

void tst_wincal::accessibleTexts()
{
    QFETCH(QDate, month);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    Window t(QDate(2001, 2, 14),
             "\"200102140予定\"\r\n\"200102201会議\"\r\n\"200111030文化祭\"\r\n");
    QVERIFY(t.start());
    // April 2001 uses cells 0 to 29: what they said then must not stay.
    t.w->drawMonth(2001, 4);
    t.w->drawMonth(month.year(), month.month());
    bool isDay = false;
    const int day = control.toInt(&isDay);
    QWidget *widget = isDay ? t.cell(day) : t.find(control);
    QVERIFY(widget);
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(reader);
    QCOMPARE(reader->text(QAccessible::Description), description);
    // A day's tool tip is its 暦, the description's last part.
    if (isDay)
        QCOMPARE(widget->toolTip(), description.section(QStringLiteral("、"), -1));
    if (!name.isEmpty()) {
        QCOMPARE(reader->text(QAccessible::Name), name);
    } else {
        // Hidden and without a name of its own (Qt then offers the frame's caption).
        QVERIFY(reader->state().invisible);
        QCOMPARE(widget->accessibleName(), name);
    }
}

// The open day's line lies in free space of the entry area, and the 暦 window lists the month
// shown, follows its steps and copies it as text.
void tst_wincal::koyomiBesideTheHeadingAndInItsWindow()
{
    Window t(QDate(2026, 2, 14), QString());
    QVERIFY(t.start());
    QCOMPARE(t.find("Frame1")->toolTip(), QStringLiteral("令和8年（丙午）"));
    QTest::mouseClick(t.cell(3), Qt::LeftButton);
    const QLabel *line = t.find<QLabel>(QStringLiteral("koyomiLine"));
    QCOMPARE(line->toolTip(), QStringLiteral("令和8年2月3日（火） 旧暦12月16日 先負 節分"));
    QVERIFY(!line->text().isEmpty());
    QVERIFY(t.w->centralWidget()->rect().contains(line->geometry()));
    for (const QWidget *other :
         t.w->centralWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != line && other->isVisible())
            QVERIFY2(!other->geometry().intersects(line->geometry()),
                     qPrintable(other->objectName()));
    }

    t.trigger("koyomiwin");
    auto *window = t.w->findChild<KoyomiWindow *>(QStringLiteral("koyomi"));
    QVERIFY(window && window->isVisible());
    const auto *table = window->findChild<QTableWidget *>();
    const auto row = [table](int r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        return cells;
    };
    QCOMPARE(table->rowCount(), 28);
    QCOMPARE(row(10), (QStringList {"2026/02/11", "水", "建国記念日", "12月24日", "大安", ""}));
    QCOMPARE(row(16), (QStringList {"2026/02/17", "火", "", "1月1日", "先勝", ""}));
    QTest::mouseClick(t.find("Command2"), Qt::LeftButton);
    QCOMPARE(window->windowTitle(), QStringLiteral("暦 2026年 3月"));
    QCOMPARE(table->rowCount(), 31);
    QCOMPARE(row(19), (QStringList {"2026/03/20", "金", "春分の日", "2月2日", "先負", "春分"}));

    QGuiApplication::clipboard()->clear();
    window->findChild<QPushButton *>(QStringLiteral("koyomiCopy"))->click();
    const QStringList copied = QGuiApplication::clipboard()->text().split(u'\n');
    QCOMPARE(copied.size(), 33); // the headings, 31 days and the last line's end
    QCOMPARE(copied[0], QStringLiteral("日付\t曜日\t祝日\t旧暦\t六曜\t節気・雑節"));
    QCOMPARE(copied[20], row(19).join(u'\t'));
    // Ctrl+C in the table copies the month too, not the one cell.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(const_cast<QTableWidget *>(table), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text().split(u'\n'), copied);
}

// The state of the window, read from the controls alone; "mixed" when they disagree.
static QString stateOf(const Window &t)
{
    const int width = t.w->centralWidget()->width();
    const bool list = !t.find("List1")->isHidden();
    const bool memo = !t.find("Text2")->isHidden();
    bool repeats = true, noRepeats = true;
    for (int i = 2; i <= 6; ++i) {
        const bool shown = !t.find(QStringLiteral("Check%1").arg(i))->isHidden();
        repeats = repeats && shown;
        noRepeats = noRepeats && !shown;
    }
    const bool enabled = t.find("Command4")->isEnabled() && t.find("Command5")->isEnabled();
    const bool disabled = !t.find("Command4")->isEnabled() && !t.find("Command5")->isEnabled();
    if (!list && memo && repeats && enabled)
        return width == 129    ? QStringLiteral("calendar")
                : width == 502 ? QStringLiteral("entry")
                               : QStringLiteral("mixed");
    if (list && !memo && noRepeats && disabled && width == 502)
        return QStringLiteral("list");
    return QStringLiteral("mixed");
}

static void reach(Window &t, const QString &state)
{
    if (state == QLatin1String("entry") || state == QLatin1String("list"))
        QTest::mouseClick(t.cell(13), Qt::LeftButton);
    if (state == QLatin1String("list"))
        QTest::mouseClick(t.find("Command5"), Qt::LeftButton);
}

void tst_wincal::transitions_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("to");

    // clang-format off
    const char *rows[][3] = {
        {"calendar", "left on day",      "entry"},
        {"entry",    "left on day",      "entry"},
        {"list",     "left on day",      "entry"},
        {"calendar", "right on day",     "calendar"},
        {"entry",    "right on day",     "entry"},
        {"list",     "right on day",     "list"},
        {"entry",    "middle on day",    "entry"},
        {"list",     "middle on day",    "list"},
        {"entry",    "left on Command1", "calendar"},
        {"list",     "left on Command2", "calendar"},
        {"entry",    "right on Command2", "calendar"},
        {"list",     "middle on Command1", "calendar"},
        {"entry",    "Command3",         "calendar"},
        {"list",     "Command3",         "calendar"},
        {"entry",    "Command5",         "list"},
        {"entry",    "Command4",         "entry"},
    };
    // clang-format on
    for (const auto &row : rows)
        QTest::addRow("%s: %s", row[0], row[1]) << row[0] << row[1] << row[2];
}

void tst_wincal::transitions()
{
    QFETCH(QString, from);
    QFETCH(QString, event);
    QFETCH(QString, to);
    Window t(QDate(2001, 2, 14), "\"200102131会議\"\r\n");
    QVERIFY(t.start());
    reach(t, from);
    QCOMPARE(stateOf(t), from);
    auto *memo = t.find<QPlainTextEdit>("Text2");
    const QString memoBefore = memo->toPlainText();

    const QStringList parts = event.split(u' ');
    const Qt::MouseButton button = parts[0] == QLatin1String("right") ? Qt::RightButton
            : parts[0] == QLatin1String("middle")                     ? Qt::MiddleButton
                                                                      : Qt::LeftButton;
    if (event.endsWith(QLatin1String("on day")))
        QTest::mouseClick(t.cell(11), button);
    else if (parts.size() == 3)
        QTest::mouseClick(t.find(parts[2]), button);
    else
        QTest::mouseClick(t.find(event), Qt::LeftButton);

    QCOMPARE(stateOf(t), to);
    if (event.startsWith(QLatin1String("right")) || event.startsWith(QLatin1String("middle"))
        || event == QLatin1String("Command3"))
        QCOMPARE(memo->toPlainText(), memoBefore);
}

void tst_wincal::navigation_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::MouseButton>("mouse");
    QTest::addColumn<Qt::KeyboardModifiers>("keys");
    QTest::addColumn<QString>("caption");

    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier;
    // clang-format off
    QTest::newRow("翌月 in December")           << QDate(2000, 12, 17) << "Command2" << Qt::LeftButton << none << "2001年 1月";
    QTest::newRow("前月 in January")            << QDate(2001, 1, 5)   << "Command1" << Qt::LeftButton << none << "2000年 12月";
    QTest::newRow("前月 within a year")         << QDate(2001, 5, 3)   << "Command1" << Qt::LeftButton << none << "2001年 4月";
    QTest::newRow("Shift 翌月 a year")          << QDate(2001, 5, 3)   << "Command2" << Qt::LeftButton << shift << "2002年 5月";
    QTest::newRow("Shift 前月 a year")          << QDate(2001, 5, 3)   << "Command1" << Qt::LeftButton << shift << "2000年 5月";
    QTest::newRow("Shift+Ctrl a month")         << QDate(2001, 5, 3)   << "Command2" << Qt::LeftButton << (shift | Qt::ControlModifier) << "2001年 6月";
    QTest::newRow("Shift+Alt a month")          << QDate(2001, 5, 3)   << "Command1" << Qt::LeftButton << (shift | Qt::AltModifier) << "2001年 4月";
    QTest::newRow("Ctrl a month")               << QDate(2001, 5, 3)   << "Command2" << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ControlModifier) << "2001年 6月";
    QTest::newRow("right button steps")         << QDate(2001, 5, 3)   << "Command2" << Qt::RightButton << none << "2001年 6月";
    QTest::newRow("middle button steps")        << QDate(2001, 5, 3)   << "Command1" << Qt::MiddleButton << none << "2001年 4月";
    QTest::newRow("right button with Shift")    << QDate(2001, 5, 3)   << "Command1" << Qt::RightButton << shift << "2000年 5月";
    QTest::newRow("1980-01 前月 refused")       << QDate(1980, 1, 15)  << "Command1" << Qt::LeftButton << none << "1980年 1月";
    QTest::newRow("1980-06 Shift 前月 refused") << QDate(1980, 6, 15)  << "Command1" << Qt::LeftButton << shift << "1980年 6月";
    QTest::newRow("2069-12 翌月 refused")       << QDate(2069, 12, 31) << "Command2" << Qt::LeftButton << none << "2069年 12月";
    QTest::newRow("2069-01 Shift 翌月 refused") << QDate(2069, 1, 1)   << "Command2" << Qt::LeftButton << shift << "2069年 1月";
    QTest::newRow("1980-02 前月 allowed")       << QDate(1980, 2, 1)   << "Command1" << Qt::LeftButton << none << "1980年 1月";
    // clang-format on
}

void tst_wincal::navigation()
{
    QFETCH(QDate, today);
    QFETCH(QString, button);
    QFETCH(Qt::MouseButton, mouse);
    QFETCH(Qt::KeyboardModifiers, keys);
    QFETCH(QString, caption);
    Window t(today);
    QVERIFY(t.start());
    QTest::mouseClick(t.find(button), mouse, keys);
    QCOMPARE(t.caption(), caption);
    QVERIFY(t.platform.shown.isEmpty());
}

void tst_wincal::keyboardDoesNotStep()
{
    Window t(QDate(2001, 5, 3));
    QVERIFY(t.start());
    for (const char *name : {"Command1", "Command2"}) {
        QWidget *button = t.find(QLatin1String(name));
        button->setFocus();
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(button, key);
    }
    QCOMPARE(t.caption(), QStringLiteral("2001年 5月"));
}

void tst_wincal::keyboardOpensADay_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("keys"); // after Shift+Tab from 前月; "press": a screen reader's
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("heading"); // or the message shown
    // clang-format off
    QTest::newRow("Right, Return")          << QDate(2001, 2, 14) << "Right Return" << "2001年 2月" << " 2001年 2月 15日（木）";
    QTest::newRow("Left from the 1st")      << QDate(2001, 3, 1)  << "Left Space"   << "2001年 2月" << " 2001年 2月 28日（水）";
    QTest::newRow("Down from the last week") << QDate(2001, 2, 27) << "Down Return" << "2001年 3月" << " 2001年 3月 6日（火）";
    QTest::newRow("Up from the first week") << QDate(2001, 2, 3)  << "Up Up Return" << "2001年 1月" << " 2001年 1月 20日（土）";
    QTest::newRow("before 1980 refused")    << QDate(1980, 1, 1)  << "Left Return"  << "1980年 1月" << " 1980年 1月 1日（火）　：　元旦";
    QTest::newRow("screen reader press")    << QDate(2001, 2, 14) << "Left press"   << "2001年 2月" << " 2001年 2月 13日（火）";
    QTest::newRow("Shift+F10 on a holiday") << QDate(2001, 2, 12) << "Left Shift+F10" << "2001年 2月" << " 2001年 2月 11日:建国記念日\n\n";
    QTest::newRow("menu key on a holiday")  << QDate(2001, 2, 12) << "Left Menu"    << "2001年 2月" << " 2001年 2月 11日:建国記念日\n\n";
    // clang-format on
}

void tst_wincal::keyboardOpensADay()
{
    QFETCH(QDate, today);
    QFETCH(QString, keys);
    QFETCH(QString, caption);
    QFETCH(QString, heading);
    Window t(today, "");
    QVERIFY(t.start());
    t.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.w.get()));
    t.find("Command1")->setFocus();
    QTest::keyClick(t.find("Command1"), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), t.cell(today.day()));
    for (const QString &key : keys.split(u' ')) {
        QWidget *focused = QApplication::focusWidget();
        if (key == QLatin1String("press")) {
            QAccessible::queryAccessibleInterface(focused)->actionInterface()->doAction(
                    QAccessibleActionInterface::pressAction());
            QCoreApplication::processEvents();
        } else {
            const QKeySequence sequence(key);
            QTest::keyClick(focused, sequence[0].key(), sequence[0].keyboardModifiers());
        }
    }
    QCOMPARE(t.caption(), caption);
    if (heading.endsWith(u'\n')) {
        QCOMPARE(t.platform.messages(), QStringList {heading});
        return;
    }
    QCOMPARE(t.find<QLabel>("Label3")->text(), heading);
    QCOMPARE(QApplication::focusWidget(), t.find("Text2"));
}

void tst_wincal::refusedStepStillResetsTheView()
{
    Window t(QDate(2069, 12, 1));
    QVERIFY(t.start());
    reach(t, QStringLiteral("list"));
    QTest::mouseClick(t.find("Command2"), Qt::LeftButton);
    QCOMPARE(stateOf(t), QStringLiteral("calendar"));
    QCOMPARE(t.caption(), QStringLiteral("2069年 12月"));
}

void tst_wincal::nothingHappensOnPictures()
{
    Window t;
    QVERIFY(t.start());
    for (const char *name : {"Picture1", "Picture2"}) {
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton})
            QTest::mouseClick(t.find(QLatin1String(name)), button);
    }
    QCOMPARE(stateOf(t), QStringLiteral("calendar"));
    QCOMPARE(t.caption(), QStringLiteral("2001年 2月"));
    QVERIFY(t.platform.shown.isEmpty());
    // Tab stops on them, and the one with the focus shows it.
    QWidget *swatch = t.find("Picture1");
    const QColor inside(swatch->grab().toImage().pixelColor(1, 1));
    swatch->setFocus();
    QVERIFY(swatch->hasFocus());
    QCOMPARE_NE(QColor(swatch->grab().toImage().pixelColor(1, 1)), inside);
}

// The names of the controls that Tab visits from Command1, once round.
static QStringList tabCycle(const Window &t)
{
    QStringList names;
    QWidget *start = t.find("Command1");
    QWidget *widget = start;
    do {
        if (widget->focusPolicy() & Qt::TabFocus && widget->isVisibleTo(t.w.get())
            && widget->isEnabled() && widget->window() == t.w.get())
            names << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != start);
    return names;
}

void tst_wincal::entryPaneLeavesTheFocusOrderWhileNarrow()
{
    Window t;
    QVERIFY(t.start());
    // The grid is one stop, on today's cell.
    QCOMPARE(tabCycle(t),
             (QStringList {"Command1", "Command2", "Picture1", "Picture2", "Label2_17"}));

    QTest::mouseClick(t.cell(13), Qt::LeftButton);
    QCOMPARE(tabCycle(t),
             (QStringList {"Command1", "Command2", "Picture1", "Picture2", "Command3", "Text2",
                           "Command4", "Check1", "Command5", "Check2", "Check3", "Check4", "Check5",
                           "Check6", "Label2_17"}));

    // Typing into the memo box and then stepping must not leave the box with the focus.
    t.find("Text2")->setFocus();
    QTest::mouseClick(t.find("Command2"), Qt::RightButton);
    QVERIFY(!t.find("Text2")->hasFocus());
    // A month without today: the first day.
    QCOMPARE(tabCycle(t),
             (QStringList {"Command1", "Command2", "Picture1", "Picture2", "Label2_4"}));
}

void tst_wincal::entryHeading_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("heading");
    QTest::newRow("holiday") << 11 << " 2001年 2月 11日（日）　：　建国記念日";
    QTest::newRow("substitute holiday by its name") << 12 << " 2001年 2月 12日（月）　：　振替休日";
    QTest::newRow("plain day") << 1 << " 2001年 2月 1日（木）";
}

void tst_wincal::entryHeading()
{
    QFETCH(int, day);
    QFETCH(QString, heading);
    Window t(QDate(2001, 2, 14), "");
    QVERIFY(t.start());
    QTest::mouseClick(t.cell(day), Qt::LeftButton);
    auto *label = t.find<QLabel>("Label3");
    QCOMPARE(label->text(), heading);
    QVERIFY(label->width() >= label->sizeHint().width());
}

void tst_wincal::dayMemoFromTheFile()
{
    Window t(QDate(2001, 2, 14),
             "\"200102130古い\"\r\n\"200102130一行目\r\n二行目\"\r\n\"200102151x\"\r\n");
    QVERIFY(t.start());
    auto *memo = t.find<QPlainTextEdit>("Text2");
    auto *alarm = t.find<QCheckBox>("Check1");

    // Both records of the date: an add replaces them with what the box holds.
    QTest::mouseClick(t.cell(13), Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), QStringLiteral("古い\n一行目\n二行目"));
    QVERIFY(!alarm->isChecked());

    // A day without a memo: the box is emptied and the alarm ticked.
    QTest::mouseClick(t.cell(16), Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), QString());
    QVERIFY(alarm->isChecked());
    QVERIFY(t.platform.shown.isEmpty());
}

void tst_wincal::longMemoIsShownInPartAndStoredWhole()
{
    // One line of a megabyte with no place to break it: the box would take minutes.
    const QString longMemo(1 << 20, u'x');
    const QString before = "\"200102130" + longMemo + "\"\r\n\"200102141" + longMemo + "\"\r\n";
    Window t(QDate(2001, 2, 14), before);
    QVERIFY(t.start());
    auto *memo = t.find<QPlainTextEdit>("Text2");
    // The alarm notice, like a list line, shows the memo's beginning and its length.
    QCOMPARE(t.platform.messages().size(), 1);
    QVERIFY(t.platform.messages().first().size() < 1100);
    QVERIFY(t.platform.messages().first().endsWith(QStringLiteral("…（全 1048576 文字）")));
    t.platform.shown.clear();

    QTest::mouseClick(t.cell(13), Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), longMemo.left(20000));
    QVERIFY(memo->isReadOnly());
    QCOMPARE(t.platform.messages().size(), 1);
    QVERIFY(t.platform.messages().first().contains(QStringLiteral("1048576 文字")));
    // Nor can a screen reader write into it.
    QAccessible::queryAccessibleInterface(memo)->editableTextInterface()->insertText(0, "y");
    QCOMPARE(memo->toPlainText(), longMemo.left(20000));
    // Added again with its boxes as they were, the day's memo and the other one stay whole.
    QTest::mouseClick(t.find("Command4"), Qt::LeftButton);
    QCOMPARE(t.fileContents(), before);

    QTest::mouseClick(t.cell(16), Qt::LeftButton);
    QVERIFY(!memo->isReadOnly());
    QTest::mouseClick(t.find("Command5"), Qt::LeftButton);
    const QString line = t.find<QListWidget>("List1")->item(1)->text();
    QVERIFY(line.size() < 1100);
    QVERIFY(line.endsWith(QStringLiteral(" 文字）")));
}

void tst_wincal::dayEntryWithoutAFile()
{
    Window t;
    QVERIFY(t.start());
    auto *memo = t.find<QPlainTextEdit>("Text2");
    memo->setPlainText(QStringLiteral("前の日"));
    t.find<QCheckBox>("Check1")->setChecked(false);
    QTest::mouseClick(t.cell(13), Qt::LeftButton);
    QCOMPARE(t.platform.messages(),
             QStringList {"スケジュールファイルが、設定されていません\n左上の FILE "
                          "にて設定してください"});
    QCOMPARE(memo->toPlainText(), QString());
    QVERIFY(t.find<QCheckBox>("Check1")->isChecked());
}

void tst_wincal::rightClickShowsHolidays()
{
    Window t(QDate(2001, 2, 14), "");
    QVERIFY(t.start());
    reach(t, QStringLiteral("entry"));
    QTest::mouseClick(t.cell(13), Qt::RightButton);
    QVERIFY(t.platform.shown.isEmpty());
    QTest::mouseClick(t.cell(11), Qt::RightButton);
    QTest::mouseClick(t.cell(12), Qt::RightButton); // the substitute holiday by its name
    QCOMPARE(t.platform.messages(),
             (QStringList {" 2001年 2月 11日:建国記念日\n\n", " 2001年 2月 12日:振替休日\n\n"}));
    QCOMPARE(t.platform.shown.constFirst().title, QStringLiteral("暦丸"));
    // The entry area still shows the day opened before.
    QCOMPARE(t.find<QLabel>("Label3")->text(), QStringLiteral(" 2001年 2月 13日（火）"));
}

void tst_wincal::listShowsAllMemos()
{
    Window t(QDate(2001, 2, 14), "\"200101050新年会\"\r\n\r\n\"200102201会議\"\r\n");
    QVERIFY(t.start());
    reach(t, QStringLiteral("list"));
    auto *list = t.find<QListWidget>("List1");
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    QCOMPARE(lines,
             (QStringList {"2001/01/05（金）-ｱﾗｰﾑ無-新年会", "2001/02/20（火）-ｱﾗｰﾑ有-会議"}));

    // With no file any more the list is empty rather than showing old lines.
    t.platform.setSchedulePath(t.dir.filePath("なし.txt"));
    QTest::mouseClick(t.find("Command3"), Qt::LeftButton);
    reach(t, QStringLiteral("list"));
    QCOMPARE(list->count(), 0);
    QVERIFY(t.platform.shown.isEmpty());

    // Nor does a file that cannot be read leave the lines of the one listed before.
    t.platform.setSchedulePath(t.path);
    QTest::mouseClick(t.find("Command3"), Qt::LeftButton);
    reach(t, QStringLiteral("list"));
    QCOMPARE(list->count(), 2);
    t.platform.setSchedulePath(QStringLiteral("/proc/self/clear_refs"));
    QTest::mouseClick(t.find("Command3"), Qt::LeftButton);
    reach(t, QStringLiteral("list"));
    QCOMPARE(list->count(), 0);
    QVERIFY(!t.platform.messages().isEmpty());
    for (const QString &message : t.platform.messages())
        QVERIFY(message.startsWith(QStringLiteral("スケジュールファイルを読み込めませんでした。")));
}

void tst_wincal::chooseFile()
{
    Window t;
    QVERIFY(t.start());
    t.trigger("ske2");
    QCOMPARE(t.platform.messages(), QStringList {"設定ファイルは\n\nです"});

    const QString chosen = t.dir.filePath("メモ.txt");
    t.platform.saveAnswers.enqueue(chosen);
    t.platform.yesNoAnswers.enqueue(true);
    t.trigger("ske");
    const FakePlatform::Shown dialog = t.platform.shown[1];
    QCOMPARE(dialog.kind, FakePlatform::Kind::SaveDialog);
    QCOMPARE(dialog.text, QDir::home().filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt")));
    QCOMPARE(dialog.filters, (QStringList {"ﾃｷｽﾄﾌｧｲﾙ (*.txt)", "All Files (*)"}));
    const FakePlatform::Shown question = t.platform.shown[2];
    QCOMPARE(question.kind, FakePlatform::Kind::Question);
    QCOMPARE(question.title, QStringLiteral("ファイル設定確認"));
    QCOMPARE(question.text,
             QLatin1Char('\n') + chosen + QStringLiteral("\n\n のファイルでいいですか？\n"));
    QCOMPARE(t.platform.shown.size(), 3);

    t.trigger("ske2");
    QCOMPARE(t.platform.messages().last(),
             QStringLiteral("設定ファイルは\n") + chosen + QStringLiteral("\nです"));

    // The next choice starts from the stored path.
    t.trigger("ske");
    QCOMPARE(t.platform.shown[4].text, chosen);
}

void tst_wincal::chooseFileCancelledOrDeclined()
{
    Window t;
    QVERIFY(t.start());
    t.platform.setSchedulePath(QStringLiteral("/old/path.txt"));

    t.trigger("ske"); // no answer scripted: cancelled
    QCOMPARE(t.platform.messages(), QStringList {"選択は、キャンセルされました"});

    t.platform.saveAnswers.enqueue(QStringLiteral("/new/path.txt"));
    t.platform.yesNoAnswers.enqueue(false);
    t.trigger("ske");
    t.platform.saveAnswers.enqueue(QStringLiteral("a.t")); // three characters: not asked
    t.trigger("ske");
    QCOMPARE(t.platform.shown.size(), 5);
    QCOMPARE(t.platform.shown[3].kind, FakePlatform::Kind::Question);
    QCOMPARE(t.platform.shown[4].kind, FakePlatform::Kind::SaveDialog);
    QCOMPARE(t.platform.settings.value("startup/firstdir"), QStringLiteral("/old/path.txt"));
}

static QColor colourOfCell(const Window &t, int day)
{
    return t.cell(day)->grab().toImage().pixelColor(1, 1);
}

void tst_wincal::marksFollowTheFileAtTheNextRedraw()
{
    Window t(QDate(2001, 2, 14), "\"200102200会議\"\r\n");
    QVERIFY(t.start());
    const QColor memo(128, 255, 128), white(255, 255, 255);
    QCOMPARE(colourOfCell(t, 20), memo);

    // Choosing another file does not redraw; the next step does, from the new file.
    t.platform.saveAnswers.enqueue(t.dir.filePath("別.txt"));
    t.platform.yesNoAnswers.enqueue(true);
    t.trigger("ske");
    QCOMPARE(colourOfCell(t, 20), memo);
    QTest::mouseClick(t.find("Command2"), Qt::LeftButton);
    QTest::mouseClick(t.find("Command1"), Qt::LeftButton);
    QCOMPARE(colourOfCell(t, 20), white);

    // The same after the file was set aside.
    t.useFile("\"200102200会議\"\r\n");
    t.w->drawMonth(2001, 2);
    QCOMPARE(colourOfCell(t, 20), memo);
    t.trigger("skedels");
    QCOMPARE(colourOfCell(t, 20), memo);
    t.w->drawMonth(2001, 2);
    QCOMPARE(colourOfCell(t, 20), white);
}

void tst_wincal::addMemo()
{
    Window t(QDate(2001, 2, 14), "\"200102201古い\"\r\n");
    QVERIFY(t.start());
    QTest::mouseClick(t.cell(21), Qt::LeftButton);
    t.find<QPlainTextEdit>("Text2")->setPlainText(QStringLiteral("会議\n資料"));
    t.find<QCheckBox>("Check3")->setChecked(true);
    QTest::mouseClick(t.find("Command4"), Qt::LeftButton);

    QCOMPARE(t.platform.messages(), QStringList {"書込み完了"});
    QCOMPARE(t.fileContents(),
             QStringLiteral("\"200102201古い\"\r\n\"200102211会議\r\n資料\"\r\n"
                            "\"200302211会議\r\n資料\"\r\n"));
    QCOMPARE(stateOf(t), QStringLiteral("entry"));
    QCOMPARE(t.find<QPlainTextEdit>("Text2")->toPlainText(), QStringLiteral("会議\n資料"));
    QVERIFY(t.find<QCheckBox>("Check3")->isChecked());
    QCOMPARE(colourOfCell(t, 21), QColor(128, 255, 128));
}

void tst_wincal::addWaitingForTheLockLeavesTheWindowAnswering()
{
    Window t(QDate(2001, 2, 14), "");
    QVERIFY(t.start());
    QTest::mouseClick(t.cell(21), Qt::LeftButton);
    auto *box = t.find<QPlainTextEdit>("Text2");
    box->setPlainText(QStringLiteral("会議"));
    // Another program holds the file while the add starts; the window sees its events meanwhile,
    // shows that it is busy, and the add goes through once the other program lets go.
    auto held = std::make_unique<QLockFile>(t.path + ".lock");
    QVERIFY(held->tryLock(0));
    bool busy = false;
    bool closed = false;
    const auto busyWhileHeld = [&] {
        busy = !t.find("Command4")->isEnabled() && !t.w->menuBar()->isEnabled()
                && t.w->cursor().shape() == Qt::WaitCursor;
        // Closed now, the program would end before it says whether the memo was written.
        closed = t.w->close();
        box->setPlainText(QStringLiteral("会議と昼食")); // typed while the add waits
        held.reset();
    };
    QTimer::singleShot(50, t.w.get(), busyWhileHeld);
    QTest::mouseClick(t.find("Command4"), Qt::LeftButton);
    QVERIFY(busy);
    QVERIFY(!closed);
    QCOMPARE(t.platform.messages(), QStringList {"書込み完了"});
    QVERIFY(t.find("Command4")->isEnabled());
    QCOMPARE(t.w->cursor().shape(), Qt::ArrowCursor);

    // What was typed meanwhile is not in the file: another program's change leaves it in the box.
    QFile file(t.path);
    QVERIFY(file.open(QIODevice::Append) && file.write("\"200102230x\"\r\n") > 0);
    file.close();
    QTRY_COMPARE(colourOfCell(t, 23), QColor(128, 255, 128));
    QCOMPARE(box->toPlainText(), QStringLiteral("会議と昼食"));

    // An import's add waits the same way.
    const QString ics = t.dir.filePath("予定.ics");
    file.setFileName(ics);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QFile::remove(keptuids::defaultPath()); // what an earlier run kept
    file.write("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:1\r\nDTSTART;VALUE=DATE:20010224\r\n"
               "SUMMARY:歯医者\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    file.close();
    t.platform.openAnswers.enqueue(ics);
    t.platform.yesNoAnswers.enqueue(true);
    held = std::make_unique<QLockFile>(t.path + ".lock");
    QVERIFY(held->tryLock(0));
    busy = false;
    QTimer::singleShot(50, t.w.get(), [&] {
        // A month step meanwhile lets no add start inside this one.
        QTest::mouseClick(t.find("Command2"), Qt::LeftButton);
        QTest::mouseClick(t.cell(24), Qt::LeftButton);
        busy = !t.find("Command4")->isEnabled() && !t.w->menuBar()->isEnabled();
        held.reset();
    });
    t.trigger("icsimp");
    QVERIFY(busy);
    QVERIFY(t.fileContents().contains(QStringLiteral("歯医者")));

    // Esc stops an add that waits, and nothing is written.
    held = std::make_unique<QLockFile>(t.path + ".lock");
    QVERIFY(held->tryLock(0));
    const QString before = t.fileContents();
    QString title;
    QTimer::singleShot(50, t.w.get(), [&] {
        title = t.w->windowTitle();
        QTest::keyClick(t.w.get(), Qt::Key_Escape);
    });
    t.platform.shown.clear();
    QTest::mouseClick(t.cell(25), Qt::LeftButton);
    box->setPlainText(QStringLiteral("止める"));
    QTest::mouseClick(t.find("Command4"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("暦丸 - 処理中（Esc キーで中止）"));
    QCOMPARE(t.platform.messages(),
             QStringList {"スケジュールファイルへの書き込みを中止しました。\n" + t.path
                          + "\nファイルの内容は変更していません。"});
    QCOMPARE(t.fileContents(), before);
    QCOMPARE(t.w->windowTitle(), QStringLiteral("暦丸"));
    held.reset();

    // An export writes the calendar off the window's thread too.
    HeldSave slowDisk;
    t.w->setStoreOptions({&slowDisk});
    t.platform.saveAnswers.enqueue(t.dir.filePath("書き出し.ics"));
    busy = false;
    QTimer::singleShot(50, t.w.get(), [&] {
        busy = !t.w->menuBar()->isEnabled() && t.w->cursor().shape() == Qt::WaitCursor;
        slowDisk.release.release();
    });
    t.trigger("icsexp");
    QVERIFY(busy);
    QVERIFY(t.platform.messages().last().startsWith(QStringLiteral("3 件のスケジュールを書き出")));
    // The imported event goes out as the event it came as, not as a second one.
    QFile exported(t.dir.filePath("書き出し.ics"));
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QVERIFY(exported.readAll().contains("\r\nUID:1\r\n"));
}

void tst_wincal::addOn29February()
{
    Window t(QDate(2000, 2, 1), "");
    QVERIFY(t.start());
    QTest::mouseClick(t.cell(29), Qt::LeftButton);
    t.find<QPlainTextEdit>("Text2")->setPlainText(QStringLiteral("閏日"));
    for (int i = 2; i <= 6; ++i)
        t.find<QCheckBox>(QStringLiteral("Check%1").arg(i))->setChecked(true);
    QTest::mouseClick(t.find("Command4"), Qt::LeftButton);

    QList<bool> ticked;
    for (int i = 2; i <= 6; ++i)
        ticked << t.find<QCheckBox>(QStringLiteral("Check%1").arg(i))->isChecked();
    QCOMPARE(ticked, (QList<bool> {false, false, false, true, false}));
    QCOMPARE(t.fileContents(), QStringLiteral("\"200002291閏日\"\r\n\"200402291閏日\"\r\n"));
}

void tst_wincal::addRefusedKeepsTheMonth()
{
    Window t(QDate(2001, 2, 14), "\"200102201x\"\r\n");
    QVERIFY(t.start());
    QTest::mouseClick(t.cell(21), Qt::LeftButton);
    t.find<QCheckBox>("Check2")->setChecked(true);
    QTest::mouseClick(t.find("Command4"), Qt::LeftButton); // empty memo
    QCOMPARE(t.platform.messages(), QStringList {"メモを書き込んでください"});
    QVERIFY(t.find<QCheckBox>("Check2")->isChecked());
    QCOMPARE(colourOfCell(t, 21), QColor(255, 255, 255));
    QCOMPARE(t.fileContents(), QStringLiteral("\"200102201x\"\r\n"));
}

// Replaces the file by renaming a new one over it, as sync tools do.
static bool replaceByRename(const QString &path, const QString &text)
{
    QFile file(path + ".new");
    if (!file.open(QIODevice::WriteOnly) || file.write(cp932::encode(text).bytes) < 0)
        return false;
    file.close();
    return ::rename(QFile::encodeName(file.fileName()), QFile::encodeName(path)) == 0;
}

static bool append(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(cp932::encode(text).bytes) > 0;
}

void tst_wincal::deleteUndoAndFindOneMemoAtATime()
{
    const QString before = QStringLiteral(
            "\"200102200会議\"\r\n\"200102210ｽｹｼﾞｭｰﾙ確認\"\r\n\"200103050別の月\"\r\n");
    Window t(QDate(2001, 2, 14), before);
    QVERIFY(t.start());
    auto *memo = t.find<QPlainTextEdit>("Text2");
    // The open day's memos go after a question that names them; いいえ keeps them.
    QTest::mouseClick(t.cell(20), Qt::LeftButton);
    t.platform.yesNoAnswers.enqueue(false);
    t.trigger("daydel");
    QCOMPARE(t.fileContents(), before);
    QCOMPARE(t.platform.shown.last().text,
             QStringLiteral("2001/02/20 のメモを削除しますか？\n\n会議"));
    t.platform.yesNoAnswers.enqueue(true);
    t.trigger("daydel");
    QCOMPARE(t.fileContents(), before.sliced(before.indexOf(u'\n') + 1));
    QCOMPARE(colourOfCell(t, 20), QColor(Qt::white));
    QCOMPARE(memo->toPlainText(), QString());
    // 元に戻す brings them back, in the box too.
    t.trigger("undo");
    QCOMPARE(t.fileContents(), before);
    QCOMPARE(colourOfCell(t, 20), QColor(128, 255, 128));
    QCOMPARE(memo->toPlainText(), QStringLiteral("会議"));

    // Found as typed in another form, and deleted from the list.
    t.trigger("find");
    auto *list = t.find<QListWidget>("List1");
    auto *field = t.find<QLineEdit>("findText");
    QVERIFY(list->isVisible() && field->isVisible());
    field->insert(QStringLiteral("スケジュール"));
    QCOMPARE(t.find<QLabel>("findCount")->text(), QStringLiteral("1 件"));
    QVERIFY(list->isRowHidden(0) && !list->isRowHidden(1) && list->isRowHidden(2));
    list->setCurrentRow(1);
    t.platform.yesNoAnswers.enqueue(true);
    t.trigger("linedel");
    QCOMPARE(t.fileContents(), QStringLiteral("\"200102200会議\"\r\n\"200103050別の月\"\r\n"));
    QCOMPARE(t.find<QLabel>("findCount")->text(), QStringLiteral("該当なし"));
    t.trigger("undo");
    QCOMPARE(t.fileContents(), before);

    // Return on a line opens its day in its month.
    field->clear();
    list->setCurrentRow(2);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(t.caption(), QStringLiteral("2001年 3月"));
    QVERIFY(!list->isVisible());
    QCOMPARE(memo->toPlainText(), QStringLiteral("別の月"));
}

void tst_wincal::unchangedFileIsNotOpenedAgain()
{
    Window t(QDate(2001, 2, 14), "\"200102200会議\"\r\n");
    QVERIFY(t.start());
    // On a slow file system each open can take a second: clicks and month steps on a file that
    // has not changed since it was read open nothing.
    const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(opens >= 0);
    const auto closeOpens = qScopeGuard([&] { ::close(opens); });
    QVERIFY(::inotify_add_watch(opens, QFile::encodeName(t.path).constData(), IN_OPEN) >= 0);
    char events[4096];
    QTest::mouseClick(t.cell(20), Qt::LeftButton);
    QTest::mouseClick(t.find("Command2"), Qt::LeftButton);
    QTest::mouseClick(t.find("Command1"), Qt::LeftButton);
    QTest::mouseClick(t.cell(20), Qt::LeftButton);
    QCOMPARE(t.find<QPlainTextEdit>("Text2")->toPlainText(), QStringLiteral("会議"));
    QCOMPARE(::read(opens, events, sizeof events), ssize_t(-1));
    // A file changed since is read at once, before the file watch has said so.
    QVERIFY(append(t.path, "\"200102210x\"\r\n"));
    QVERIFY(::read(opens, events, sizeof events) > 0); // the append's own
    QTest::mouseClick(t.cell(21), Qt::LeftButton);
    QCOMPARE(t.find<QPlainTextEdit>("Text2")->toPlainText(), QStringLiteral("x"));
    QVERIFY(::read(opens, events, sizeof events) > 0);

    // The read begun while the window is built is not drawn from once the file has changed.
    Window early(QDate(2001, 2, 14), "\"200102200会議\"\r\n");
    early.w = std::make_unique<wincal>(early.platform);
    QTest::qWait(100);
    QVERIFY(append(early.path, "\"200102210x\"\r\n"));
    early.w->Form_Load();
    QCOMPARE(colourOfCell(early, 21), QColor(128, 255, 128));
}

void tst_wincal::followsTheFileOnDisk()
{
    Window t(QDate(2001, 2, 14), "\"200102200会議\"\r\n");
    QVERIFY(t.start());
    const QColor memo(128, 255, 128);
    auto *box = t.find<QPlainTextEdit>("Text2");
    QTest::mouseClick(t.cell(20), Qt::LeftButton);

    // An untouched box follows the file.
    QVERIFY(replaceByRename(t.path, "\"200102200変更\"\r\n\"200102210新\"\r\n"));
    QTRY_COMPARE(colourOfCell(t, 21), memo);
    QCOMPARE(box->toPlainText(), QStringLiteral("変更"));

    // Written in place after the rename: still seen. Typed text stays.
    box->setPlainText(QStringLiteral("入力中"));
    QVERIFY(append(t.path, "\"200102200別\"\r\n\"200102220x\"\r\n"));
    QTRY_COMPARE(colourOfCell(t, 22), memo);
    QCOMPARE(box->toPlainText(), QStringLiteral("入力中"));

    // A conflict copy that appears is offered.
    QVERIFY(QFile::copy(t.path,
                        t.dir.filePath("ｽｹｼﾞｭｰﾙ.sync-conflict-20010214-101500-ABCDEF1.txt")));
    QTRY_COMPARE(t.platform.shown.size(), 1);
    QCOMPARE(t.platform.shown[0].title, QStringLiteral("競合コピーの取り込み"));

    // Another instance chooses another file beside it: followed, by the list shown too.
    QTest::mouseClick(t.find("Command5"), Qt::LeftButton);
    t.useFile("\"200102250別のファイル\"\r\n", "別.txt");
    QTRY_COMPARE(colourOfCell(t, 25), memo);
    QCOMPARE(t.find<QListWidget>("List1")->count(), 1);

    // The folder removed and made anew, as a sync tool may: the file is followed again.
    QVERIFY(QDir(t.dir.path()).removeRecursively());
    QTRY_COMPARE(colourOfCell(t, 21), QColor(Qt::white));
    QVERIFY(QDir().mkpath(t.dir.path()) && append(t.path, "\"200102230y\"\r\n"));
    QTRY_COMPARE(colourOfCell(t, 23), memo);
}

void tst_wincal::addAfterTheDateChanged_data()
{
    QTest::addColumn<QString>("typed");   // over the box's "古い"
    QTest::addColumn<QString>("arrived"); // the file another program wrote meanwhile
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("after");

    const QString typed = QStringLiteral("新しい");
    const QString arrived = QStringLiteral("\"200102201古い\"\r\n\"200102200届いた\"\r\n");
    QTest::newRow("keep both") << typed << arrived << 0
                               << "\"200102200届いた\"\r\n\"200102201新しい\"\r\n";
    QTest::newRow("replace") << typed << arrived << 1 << "\"200102201新しい\"\r\n";
    QTest::newRow("cancel") << typed << arrived << 2 << arrived;
    // Rounds of this while another machine edits the same day doubled the shared lines.
    QTest::newRow("keep both: what both hold is written once")
            << "古い\n新しい"
            << "\"200102201古い\r\n届いた\"\r\n"
            << 0 << "\"200102201古い\r\n届いた\"\r\n\"200102201新しい\"\r\n";
}

void tst_wincal::addAfterTheDateChanged()
{
    QFETCH(QString, typed);
    QFETCH(QString, arrived);
    QFETCH(int, answer);
    QFETCH(QString, after);
    Window t(QDate(2001, 2, 14), "\"200102201古い\"\r\n");
    QVERIFY(t.start());
    QTest::mouseClick(t.cell(20), Qt::LeftButton);
    t.find<QPlainTextEdit>("Text2")->setPlainText(typed);
    // The date's records change while the box is open, before the window hears of it.
    QFile file(t.path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(cp932::encode(arrived).bytes) > 0);
    file.close();
    t.platform.choiceAnswers.enqueue(answer);
    QTest::mouseClick(t.find("Command4"), Qt::LeftButton);

    const FakePlatform::Shown question = t.platform.shown.value(0);
    QCOMPARE(question.kind, FakePlatform::Kind::Choice);
    QCOMPARE(question.title, QStringLiteral("スケジュールの変更確認"));
    if (typed == QStringLiteral("新しい"))
        QCOMPARE(question.text,
                 QStringLiteral(
                         "2001/02/20のスケジュールは、この日を開いた後に、ほかのプログラムか"
                         "別のパソコンで変更されました。\n\n今のスケジュール：\n・古い\n・届いた"
                         "\n\n書いたメモを、今のスケジュールと両方残しますか、"
                         "今のスケジュールと置き換えますか？"));
    QCOMPARE(question.filters, (QStringList {"両方残す", "置き換える", "キャンセル"}));
    QCOMPARE(t.platform.messages(), answer == 2 ? QStringList() : QStringList {"書込み完了"});
    QCOMPARE(t.fileContents(), after);
}

void tst_wincal::conflictCopyOfferedAtEachStart()
{
    Window t(QDate(2001, 2, 14), "\"200102200会議\"\r\n");
    const QString copy = t.dir.filePath("ｽｹｼﾞｭｰﾙ (conflicted copy 2001-02-14 101500).txt");
    QFile file(copy);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
            cp932::encode(QStringLiteral("\"200102200会議\"\r\n\"200102210別の機械\"\r\n")).bytes);
    file.close();
    // A link of a copy's name, planted in the synced folder: named once a run, never read.
    const QString secret = t.dir.filePath("id_ed25519");
    QVERIFY(QFile(secret).open(QIODevice::WriteOnly));
    const QString planted
            = t.dir.filePath("ｽｹｼﾞｭｰﾙ (x\n（安全です）'s conflicted copy 2001-02-14).txt");
    QVERIFY(QFile::link(secret, planted));

    // Declined: nothing changes, and it is not asked again in this run.
    QVERIFY(t.start());
    QCOMPARE(t.platform.shown.size(), 2);
    QCOMPARE(t.platform.shown.takeFirst().text,
             "競合コピーと同じ形の名前のものがありますが、安全のため読み込みませんでした。\n\n"
                     + t.dir.filePath("ｽｹｼﾞｭｰﾙ (x\\n（安全です）'s conflicted copy 2001-02-14).txt")
                     + "\nシンボリックリンクです。リンクの先のファイルは読みません。");
    QCOMPARE(t.platform.shown[0].kind, FakePlatform::Kind::Question);
    QCOMPARE(t.platform.shown[0].text,
             "同期ツールが作ったスケジュールファイルの競合コピーがあります。\n" + copy
                     + "\n\nこのコピーにだけあるスケジュールを、スケジュールファイルに取り込みます"
                       "か？\n取り込んだコピーは、次の名前に変えて残します。\n"
                     + copy + ".merged");
    QVERIFY(append(t.path, "\"200102220x\"\r\n"));
    QTRY_COMPARE(colourOfCell(t, 22), QColor(128, 255, 128));
    QCOMPARE(t.platform.shown.size(), 1);

    // The next start asks again.
    t.platform.shown.clear();
    t.platform.yesNoAnswers.enqueue(true);
    QVERIFY(t.start());
    QCOMPARE(t.platform.messages().mid(1),
             QStringList {"競合コピーから 1 件のスケジュールを取り込みました。\n"
                          "コピーは次の名前に変えました。\n"
                          + copy + ".merged"});
    QCOMPARE(colourOfCell(t, 21), QColor(128, 255, 128));
}

void tst_wincal::setAside()
{
    Window t(QDate(2001, 2, 14), "\"200102201x\"\r\n");
    QVERIFY(t.start());
    // The window hears of it under the box that says so, and drops the marks once it is closed.
    QDialog box(t.w.get());
    box.setModal(true);
    box.show();
    t.trigger("skedels");
    const QString backup = t.dir.filePath("ｽｹｼﾞｭｰﾙ.bak");
    QCOMPARE(t.platform.messages(), QStringList {backup + "\n\nのファイルに改名しました"});
    QVERIFY(QFile::exists(backup));
    QVERIFY(!QFile::exists(t.path));
    QTest::qWait(3 * int(FileWatch::delay.count()));
    box.close();
    QTRY_COMPARE(colourOfCell(t, 20), QColor(Qt::white));
}

void tst_wincal::exportAndImportThroughTheMenus()
{
    // Two memos alike on one day, one over two lines with the alarm, characters iCalendar
    // escapes, and a line written by hand, which is no memo.
    Window t(QDate(2001, 2, 14),
             "\"200102140会議\"\r\n\"200102140会議\"\r\n\"200102151一行目\r\n二行目\"\r\n"
             "\"200102160a,b;c\\d\"\r\n\"200102300無い日\"\r\n手書きの行\r\n"
             "\"300012310遠い先\"\r\n");
    QVERIFY(t.start());
    const QString ics = t.dir.filePath("書き出し.ics");
    t.platform.saveAnswers.enqueue(ics);
    t.trigger("icsexp");
    QCOMPARE(t.platform.shown[0].kind, FakePlatform::Kind::SaveDialog);
    QCOMPARE(t.platform.shown[0].text, t.dir.filePath("ｽｹｼﾞｭｰﾙ.ics"));
    QCOMPARE(
            t.platform.messages(),
            QStringList {"4 件のスケジュールを書き出しました。\n" + ics
                         + "\n\n次の 2 件は書き出していません。\n2001/02/30：この日付はありません。"
                           "\n3000/12/31：西暦1年1月2日から3000年12月30日までの外にある日付は、"
                           "カレンダーファイルに書けません。"});

    // An import that the user declines, of a calendar with an event the file cannot hold.
    const QString other = t.dir.filePath("他.ics");
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:1\r\nDTSTART;VALUE=DATE:20010220\r\n"
               "SUMMARY:\"至急\"\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:2\r\n"
               "DTSTART:20010221T093000\r\nSUMMARY:歯医者\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    file.close();
    t.useFile("手書き\r\n", "取り込み先.txt");
    t.platform.shown.clear();
    t.platform.openAnswers.enqueue(other);
    t.trigger("icsimp");
    QCOMPARE(t.platform.shown.size(), 2);
    QCOMPARE(t.platform.shown[0].kind, FakePlatform::Kind::OpenDialog);
    QCOMPARE(t.platform.shown[1].title, QStringLiteral("iCalendar の取り込み"));
    QCOMPARE(
            t.platform.shown[1].text,
            QStringLiteral("1 件の予定をスケジュールに追加します。\n\n次の 1 件は取り込めません。\n"
                           "2001/02/20 \"至急\"：「\"」（ダブルクォーテーション）はスケジュール"
                           "ファイルに保存できません。\n\n追加しますか？"));
    QCOMPARE(t.fileContents(), QStringLiteral("手書き\r\n"));

    // The exported file comes back whole, once, and the month shows its days.
    t.platform.shown.clear();
    t.platform.openAnswers.enqueue(ics);
    t.platform.yesNoAnswers.enqueue(true);
    t.trigger("icsimp");
    QCOMPARE(
            t.platform.shown[1].text,
            QStringLiteral("3 件の予定をスケジュールに追加します。\n（既にある 1 件は追加しません）"
                           "\n\n追加しますか？"));
    QCOMPARE(t.platform.messages(),
             QStringList {"3 件の予定を追加しました。\n（既にある 1 件は追加しません）"});
    QCOMPARE(t.fileContents(),
             QStringLiteral("\"200102140会議\"\r\n\"200102151一行目\r\n二行目\"\r\n"
                            "\"200102160a,b;c\\d\"\r\n\"手書き\"\r\n"));
    QCOMPARE(colourOfCell(t, 15), QColor(128, 255, 128));
}

void tst_wincal::helpMenu()
{
    Window t;
    QVERIFY(t.start());
    t.trigger("hlptxt");
    t.trigger("about");
    const QStringList messages = t.platform.messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].startsWith(QStringLiteral("暦丸カレンダー　　REKOVA.exe   \n\n")));
    QVERIFY(messages[1].startsWith(
            QStringLiteral("暦丸カレンダー\n\nREKOVA.exe   Ver 1.11 (2000/12/17)")));
    QCOMPARE(t.platform.shown[0].title, QStringLiteral("暦丸"));

    t.trigger("sakusya");
    t.trigger("sakusya");
    QVERIFY(frmabt::instance());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget *w) { return qobject_cast<frmabt *>(w) && w->isVisible(); }),
             1);
}

void tst_wincal::exitClosesTheWindow()
{
    Window t;
    QVERIFY(t.start());
    t.trigger("EXIT");
    QVERIFY(!t.w->isVisible());
}

void tst_wincal::alarmNoticesBeforeTheWindowShows()
{
    // A memo of many lines is cut, so that its box fits on the screen.
    QStringList lines;
    for (int k = 1; k <= 40; ++k)
        lines.append(QString::number(k));
    Window t(QDate(2001, 2, 14),
             "\"200102151明日\"\r\n\"200102141今日\"\r\n\"199912311" + lines.join("\r\n")
                     + "\"\r\n\"200102130切\"\r\n");
    t.w = std::make_unique<wincal>(t.platform);
    t.w->Form_Load();
    QVERIFY(!t.w->isVisible());
    QCOMPARE(t.platform.messages(),
             (QStringList {"\nアラーム設定しています\n\n2001/02/14（水）\n今日",
                           "\nアラーム設定しています\n\n1999/12/31（金）\n"
                                   + lines.first(25).join("\r\n") + "…（全 40 行）"}));
    for (const FakePlatform::Shown &shown : t.platform.shown)
        QCOMPARE(shown.title, QStringLiteral("暦丸"));
    // The pass that found the notices marked the month's memos.
    QCOMPARE(t.cell(13)->accessibleDescription(),
             QStringLiteral("スケジュールあり、平成13年2月13日（火） 旧暦1月21日 先負"));
    QCOMPARE(t.cell(16)->accessibleDescription(),
             QStringLiteral("平成13年2月16日（金） 旧暦1月24日 赤口"));
}

void tst_wincal::unreadableFileReportedOnceAtStartUp()
{
    Window t;
    t.platform.setSchedulePath(QStringLiteral("/proc/self/clear_refs"));
    QVERIFY(t.start());
    QCOMPARE(t.platform.messages().size(), 1);
    QVERIFY(t.platform.messages()[0].startsWith(QStringLiteral(
            "スケジュールファイルを読み込めませんでした。\n/proc/self/clear_refs\n")));
    QCOMPARE(t.caption(), QStringLiteral("2001年 2月"));

    // Afterwards every reader that meets it says so.
    QTest::mouseClick(t.cell(13), Qt::LeftButton);
    QCOMPARE(t.platform.messages().size(), 2);
}

void tst_wincal::dateChangeRedrawsAndAnnouncesOnce()
{
    Window t(QDate(2001, 2, 28),
             "\"200102281今日\"\r\n\"200103011明日\"\r\n\"200103011明日\"\r\n"
             "\"200103021明後日\"\r\n\"200104051a\"\r\n\"200104051b\"\r\n\"200104051c\"\r\n"
             "\"200104051d\"\r\n");
    QVERIFY(t.start());
    const auto check = [&t](QDate today) {
        t.platform.todayDate = today;
        t.w->findChild<DateWatcher *>()->check();
        QStringList memos; // the last line of each notice, and where it went
        for (const FakePlatform::Shown &shown : std::as_const(t.platform.shown))
            memos << (shown.kind == FakePlatform::Kind::DesktopNotice ? "desktop " : "")
                            + shown.text.section(u'\n', -1);
        return memos;
    };
    // Midnight: the next month with its today; a record held twice is two notices.
    QCOMPARE(check(QDate(2001, 3, 1)), (QStringList {"今日", "明日", "明日"}));
    QCOMPARE(t.caption(), QStringLiteral("2001年 3月"));
    QVERIFY(t.cell(1)->accessibleDescription().startsWith(QStringLiteral("今日")));
    // Minimised with a day open: the desktop is told first, and the open day keeps its month.
    QTest::mouseClick(t.cell(10), Qt::LeftButton);
    t.w->showMinimized();
    QCOMPARE(check(QDate(2001, 4, 2)).mid(3), (QStringList {"desktop 明後日", "明後日"}));
    QCOMPARE(t.caption(), QStringLiteral("2001年 3月"));
    // The clock set back and forth again shows nothing twice.
    QCOMPARE(check(QDate(2001, 3, 1)).size(), 5);
    QCOMPARE(check(QDate(2001, 4, 3)).size(), 5);
    // A day of many: three on the desktop, and one that counts the rest.
    QCOMPARE(check(QDate(2001, 4, 5)).mid(5),
             (QStringList {"desktop a", "desktop b", "desktop c",
                           "desktop ほかに 1 件のスケジュールのお知らせがあります。", "a", "b", "c",
                           "d"}));
}

void tst_wincal::autostartEntryFollowsTheTick()
{
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", configHome); });
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString entry = config.filePath("autostart/com.example.rekova.desktop");
    Window t;
    QVERIFY(t.start());
    auto *item = t.find<QAction>("autostart");
    QVERIFY(!QFile::exists(entry));
    item->trigger();
    QVERIFY(item->isChecked());
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8()
                                    + "\"\n"));
    QProcess validate;
    validate.start("desktop-file-validate", {entry});
    QVERIFY(validate.waitForFinished());
    QCOMPARE(validate.readAll() + QByteArray::number(validate.exitCode()), "0");

    // Removed by hand: the menu says so when it opens.
    QVERIFY(QFile::remove(entry));
    emit t.find<QMenu>("TOOL")->aboutToShow();
    QVERIFY(!item->isChecked());
    item->trigger();
    item->trigger();
    QVERIFY(!QFile::exists(entry));
    // A config folder that cannot be made is told, and the tick stays off.
    QVERIFY(QFile(config.filePath("file")).open(QIODevice::WriteOnly));
    qputenv("XDG_CONFIG_HOME", config.filePath("file").toLocal8Bit());
    item->trigger();
    QVERIFY(!item->isChecked());
    QVERIFY(t.platform.messages().value(0).startsWith(
            QStringLiteral("ログイン時に起動する設定を書き込めませんでした。\n")));
}

// With the sync on, the password comes from the keyring, or is asked for with the reason when no
// keyring answers; a server that cannot be reached is waited for quietly, at every try.
void tst_wincal::syncStartsWithThePasswordFromTheKeyringOrAsked_data()
{
    QTest::addColumn<bool>("keyring");
    QTest::addColumn<bool>("typed"); // asked, the password is typed; else the question is cancelled
    QTest::addColumn<QString>("status");

    const QString waiting = messages::syncWaitingForNetwork();
    QTest::newRow("keyring holds it") << true << false << waiting;
    QTest::newRow("no keyring, typed") << false << true << waiting;
    QTest::newRow("no keyring, cancelled") << false << false << messages::syncOff();
}

void tst_wincal::syncStartsWithThePasswordFromTheKeyringOrAsked()
{
    QFETCH(bool, keyring);
    QFETCH(bool, typed);
    QFETCH(QString, status);

    Window t(QDate(2026, 12, 8), QStringLiteral("\"202612100会議\"\r\n"));
    const QByteArray before = readBytes(t.path);
    // Nothing listens on port 1 of this machine.
    t.platform.settings.insert(QStringLiteral("caldav/enabled"), QStringLiteral("1"));
    t.platform.settings.insert(QStringLiteral("caldav/server"),
                               QStringLiteral("http://127.0.0.1:1"));
    t.platform.settings.insert(QStringLiteral("caldav/user"), QStringLiteral("alice"));
    t.platform.settings.insert(QStringLiteral("caldav/calendar"),
                               QStringLiteral("http://127.0.0.1:1/alice/cal/"));
    t.platform.keyringAnswers = keyring;
    t.platform.keyring.insert(QStringLiteral("caldav:alice@127.0.0.1"), QStringLiteral("secret"));
    if (!keyring)
        t.platform.passwordAnswers.enqueue(typed ? std::optional<QString>(QStringLiteral("secret"))
                                                 : std::nullopt);
    QVERIFY(t.start());
    const QSize size = t.w->size();

    const auto asked = std::count_if(
            t.platform.shown.cbegin(), t.platform.shown.cend(), [](const FakePlatform::Shown &s) {
                return s.kind == FakePlatform::Kind::PasswordQuestion
                        && s.text.contains(QStringLiteral("7: no keyring here"));
            });
    QCOMPARE(asked, keyring ? 0 : 1);
    auto *label = t.find<QLabel>(QStringLiteral("syncstatus"));
    QVERIFY(label);
    QTRY_COMPARE(label->text(), status);
    if (status == messages::syncOff())
        return;
    t.trigger("syncnow");
    QCOMPARE(label->text(), messages::syncRunning());
    QTRY_COMPARE(label->text(), status);
    QCOMPARE(t.platform.messages(), QStringList());
    QCOMPARE(readBytes(t.path), before);
    // The status does not widen the narrow window.
    QCOMPARE(t.w->size(), size);

    // Through the settings dialog: a new password goes to the keyring, and the sync turned off
    // stops.
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>(QStringLiteral("password"))
                ->setText(QStringLiteral("renewed"));
        dialog->findChild<QCheckBox *>(QStringLiteral("enabled"))->setChecked(false);
        dialog->accept();
    });
    t.trigger("syncset");
    QCOMPARE(label->text(), messages::syncOff());
    QCOMPARE(t.platform.settings.value(QStringLiteral("caldav/enabled")), QStringLiteral("0"));
    QCOMPARE(t.platform.keyring.value(QStringLiteral("caldav:alice@127.0.0.1")),
             keyring ? QStringLiteral("renewed") : QStringLiteral("secret"));
    // The password is in no setting.
    for (const QString &value : std::as_const(t.platform.settings)) {
        QVERIFY(!value.contains(QStringLiteral("secret")));
        QVERIFY(!value.contains(QStringLiteral("renewed")));
    }
}

QTEST_MAIN(tst_wincal)
#include "tst_wincal.moc"
