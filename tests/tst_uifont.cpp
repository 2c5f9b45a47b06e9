#include "about/frmabt.h"
#include "fakeplatform.h"
#include "mainwindow/uifont.h"
#include "mainwindow/wincal.h"
#include "widgets/fontfit.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <tuple>

// Set when the test runs with a plain font configuration (no hinting rules).
static bool plainFontConfiguration = false;

// Both windows in each free Japanese face, on screens of each scale: every caption lies inside
// its control and clear of the controls above it, every box line is drawn, and the main window's
// texts keep a readable size.
class tst_uifont : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        fontfit::useFamilies({}, {});
        delete frmabt::instance();
    }
    void captionsFitAndBoxLinesShow_data();
    void captionsFitAndBoxLinesShow();
};

void tst_uifont::captionsFitAndBoxLinesShow_data()
{
    QTest::addColumn<QStringList>("faces"); // Gothic, Mincho
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QString>("control"); // window/name; Label1 and Label2 stand for all cells
    QTest::addColumn<int>("least");       // pixels that the main window's texts keep at least

    const QStringList controls
            = QStringLiteral("wincal/Frame1 wincal/Label1 wincal/Label2 wincal/Label3 "
                             "wincal/Label4 wincal/Text2 wincal/List1 wincal/Check1 "
                             "wincal/Check2 wincal/Check3 wincal/Check4 wincal/Check5 "
                             "wincal/Check6 wincal/Command1 wincal/Command2 wincal/Command3 "
                             "wincal/Command4 wincal/Command5 frmabt/picIcon frmabt/lblTitle "
                             "frmabt/exename frmabt/lblVersion frmabt/Command1 "
                             "frmabt/lblDescription frmabt/cmdOK frmabt/Text1")
                      .split(u' ');
    const std::tuple<const char *, QStringList, int> faces[] {
            {"IPA P Gothic", {"IPAPGothic", "IPAMincho"}, 12},
            {"Noto Sans CJK JP", {"Noto Sans CJK JP", "Noto Serif CJK JP"}, 11},
            {"VL Gothic", {"VL Gothic", "VL Gothic"}, 11}};
    for (const auto &[name, families, least] : faces) {
        // The face drawn for keeps its size whatever the hinting.
        if (plainFontConfiguration && least != 12)
            continue;
        for (qreal scale : {1.0, 1.25, 1.5, 2.0}) {
            for (const QString &control : controls) {
                if (!plainFontConfiguration || scale == 1.0)
                    QTest::addRow("%s%s %gx %s", plainFontConfiguration ? "plain " : "", name,
                                  scale, qPrintable(control))
                            << families << scale << control << least;
            }
        }
    }
}

// True when `image`, a grab of the window of `control`, shows dark ink on the outermost device
// pixels of `room`, given in the control's coordinates: text that runs into the box line around
// its room leaves ink there.
static bool inkOnEdge(QWidget *control, const QRect &room, const QImage &image)
{
    const QPoint at = control->mapTo(control->window(), room.topLeft());
    const qreal scale = image.devicePixelRatio();
    const QRect device(QPoint(qRound(at.x() * scale), qRound(at.y() * scale)),
                       QPoint(qRound((at.x() + room.width()) * scale) - 1,
                              qRound((at.y() + room.height()) * scale) - 1));
    for (int y = device.top(); y <= device.bottom(); ++y) {
        const int step = y == device.top() || y == device.bottom() ? 1 : device.width() - 1;
        for (int x = device.left(); x <= device.right(); x += step) {
            if (qGray(image.pixel(x, y)) < 128)
                return true;
        }
    }
    return false;
}

// The captions of `control` that leave their room or run under a control made after it.
static QStringList captionFaults(QWidget *control, const QImage &image)
{
    const QFontMetrics metrics(control->font());
    const auto line = [&](const QString &text) {
        return QSize(metrics.horizontalAdvance(text), metrics.height());
    };
    // The glyphs' outline boxes on the baseline of the line box `at` as Qt aligns it. They are
    // whole pixels that may each be only partly inked, so they may cross the room's edge by one.
    const auto ink = [&](const QString &text, const QRect &at) {
        return metrics.tightBoundingRect(text)
                .translated(at.left(), at.top() + metrics.ascent())
                .adjusted(1, 1, -1, -1);
    };
    QRect room = control->contentsRect();
    QRect caption;
    if (auto *label = qobject_cast<QLabel *>(control); label && !label->text().isEmpty()) {
        caption = label->wordWrap() ? metrics.boundingRect(
                          room, int(label->alignment()) | Qt::TextWordWrap, label->text())
                                    : ink(label->text(),
                                          QStyle::alignedRect(Qt::LeftToRight, label->alignment(),
                                                              line(label->text()), room));
    } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const bool check = qobject_cast<QCheckBox *>(button);
        room = button->style()->subElementRect(check ? QStyle::SE_CheckBoxContents
                                                     : QStyle::SE_PushButtonContents,
                                               &option, button);
        const Qt::Alignment alignment = check ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter;
        caption = ink(button->text(),
                      QStyle::alignedRect(Qt::LeftToRight, alignment, line(button->text()), room));
    } else if (auto *box = qobject_cast<QGroupBox *>(control)) {
        // The title stands above the weekday headers.
        room = QRect(0, 0, box->width(), box->findChild<QWidget *>("Label1_0")->y());
        caption = ink(box->title(), QRect(QPoint(0, 0), line(box->title())));
    } else if (auto *edit = qobject_cast<QTextEdit *>(control)) {
        room = edit->viewport()->geometry();
        for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
            const QTextLine text = block.layout()->lineAt(0);
            const QRectF ink(edit->document()->documentLayout()->blockBoundingRect(block).topLeft()
                                     + text.position() + room.topLeft(),
                             QSizeF(text.naturalTextWidth(), text.ascent() + text.descent()));
            caption |= QRect(QPoint(qRound(ink.left()), qRound(ink.top())),
                             QPoint(qRound(ink.right()) - 1, qRound(ink.bottom()) - 1));
        }
    }
    QStringList faults;
    if (caption.isNull())
        return faults;
    const bool edit = qobject_cast<QTextEdit *>(control);
    if (edit ? inkOnEdge(control, room, image) : !room.contains(caption))
        faults << control->objectName() + " beyond its edge";
    // A box that sizes itself to its caption may share only its last line with the next control.
    const auto *label = qobject_cast<QLabel *>(control);
    const QRect taken = label && label->frameShape() == QFrame::Box
            ? control->geometry().adjusted(0, 0, -1, -1)
            : caption.translated(control->pos());
    const QObjectList siblings = control->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(control) + 1; i < siblings.size(); ++i) {
        auto *above = qobject_cast<QWidget *>(siblings[i]);
        if (above && above->isVisible() && above->geometry().intersects(taken))
            faults << control->objectName() + " under " + above->objectName();
    }
    return faults;
}

// The far edges of a plain box, where rounding to device pixels can clip a line away, that show
// no black line on the last device pixel the box covers in `image`, a grab of its window, or on
// the one before it.
static QStringList lineFaults(QWidget *control, const QImage &image)
{
    const auto *frame = qobject_cast<QFrame *>(control);
    if (!frame || frame->frameShape() != QFrame::Box)
        return {};
    const QPoint at = control->mapTo(control->window(), QPoint(0, 0));
    const qreal scale = image.devicePixelRatio();
    const int left = qRound(at.x() * scale), top = qRound(at.y() * scale);
    const int right = qRound((at.x() + control->width()) * scale) - 1;
    const int bottom = qRound((at.y() + control->height()) * scale) - 1;
    const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 64 ? 1 : 0; };
    int bottomLine = 0, rightLine = 0;
    for (int x = left + 2; x <= right - 2; ++x)
        bottomLine += dark(x, bottom) | dark(x, bottom - 1);
    for (int y = top + 2; y <= bottom - 2; ++y)
        rightLine += dark(right, y) | dark(right - 1, y);
    QStringList faults;
    if (bottomLine * 10 < (right - left - 3) * 9)
        faults << control->objectName() + " bottom";
    if (rightLine * 10 < (bottom - top - 3) * 9)
        faults << control->objectName() + " right";
    return faults;
}

void tst_uifont::captionsFitAndBoxLinesShow()
{
    QFETCH(QStringList, faces);
    QFETCH(qreal, scale);
    QFETCH(QString, control);
    QFETCH(int, least);
    for (const QString &face : faces) {
        if (!QFontDatabase::hasFamily(face))
            QSKIP(qPrintable(face + " is not installed"));
    }
    QScreen *screen = nullptr;
    for (QScreen *candidate : QGuiApplication::screens()) {
        if (qFuzzyCompare(candidate->devicePixelRatio(), scale))
            screen = candidate;
    }
    QVERIFY(screen);
    fontfit::useFamilies({faces[0]}, {faces[1]});

    // A two-digit month and the longest heading; the frame in the narrow window, the list in the
    // list state.
    FakePlatform platform;
    platform.todayDate = QDate(1990, 11, 12);
    wincal calendar(platform);
    calendar.Form_Load();
    if (control != "wincal/Frame1")
        calendar.openDayEntry(1990, 11, 12);
    if (control == "wincal/List1")
        calendar.findChild<QPushButton *>("Command5")->click();
    QWidget *window = &calendar;
    if (control.startsWith("frmabt/"))
        window = frmabt::showInstance(platform);
    window->setScreen(screen);
    window->move(screen->geometry().topLeft() + QPoint(20, 20));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE(window->devicePixelRatioF(), scale);

    // The focus mark of a day cell is no caption.
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
    const QImage image = window->grab().toImage();
    const QRegularExpression name("^" + control.section('/', 1) + "(_\\d+)?$");
    QStringList faults;
    int checked = 0;
    for (QWidget *widget : window->findChildren<QWidget *>(name)) {
        if (widget->isVisible()) {
            faults << captionFaults(widget, image) << lineFaults(widget, image);
            // The longest heading, which reaches the alarm box, may step down to 11 px alone.
            const int leastHere = widget == calendar.findChild<QWidget *>("Label3")
                    ? qMin(least, uifont::readablePixels)
                    : least;
            if (window == &calendar && QFontInfo(widget->font()).pixelSize() < leastHere)
                faults << widget->objectName() + " below " + QString::number(leastHere) + " px";
            ++checked;
        }
    }
    QVERIFY(checked > 0);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(", ")));
}

// Four screens side by side at the scales checked; the first is the usual offscreen screen.
int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    QFile config(dir.filePath("screens.json"));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(R"({"screens": [
        {"name": "1x", "x": 0, "y": 0, "width": 800, "height": 800, "dpr": 1},
        {"name": "1.25x", "x": 800, "y": 0, "width": 800, "height": 800, "dpr": 1.25},
        {"name": "1.5x", "x": 1600, "y": 0, "width": 800, "height": 800, "dpr": 1.5},
        {"name": "2x", "x": 2400, "y": 0, "width": 800, "height": 800, "dpr": 2}]})");
    config.close();
    plainFontConfiguration = qEnvironmentVariableIsSet("TST_UIFONT_PLAIN");
    if (plainFontConfiguration) {
        // The font folders alone; the system's caches still serve.
        QFile fonts(dir.filePath("fonts.conf"));
        if (!fonts.open(QIODevice::WriteOnly))
            return 1;
        fonts.write("<?xml version=\"1.0\"?>\n<fontconfig><dir>/usr/share/fonts</dir>"
                    "<cachedir>"
                    + dir.path().toLocal8Bit()
                    + "</cachedir>"
                      "<cachedir>/var/cache/fontconfig</cachedir></fontconfig>\n");
        fonts.close();
        qputenv("FONTCONFIG_FILE", fonts.fileName().toLocal8Bit());
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    tst_uifont test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_uifont.moc"
