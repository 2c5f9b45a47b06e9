// The main window's controls and menus, built and placed.

#include "mainwindow/wincalcontrols.h"
#include "mainwindow/wincal.h"

#include "about/frmabt.h"
#include "calendar/datewatcher.h"
#include "common/background.h"
#include "common/helptexts.h"
#include "common/messages.h"
#include "icalendar/icsexport.h"
#include "icalendar/icsimport.h"
#include "koyomi/koyomi.h"
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
#include "widgets/focusmark.h"
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

void wincalcontrols::setBackground(QWidget *widget, quint32 value)
{
    QPalette palette = widget->palette();
    palette.setColor(
            QPalette::Window,
            QColor(rekovabas::redOf(value), rekovabas::greenOf(value), rekovabas::blueOf(value)));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

using wincalcontrols::setBackground;

namespace {

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
        drawFocusMark(this, Qt::white);
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

} // namespace

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
    addItem(file, "koyomiexp", QStringLiteral("六曜と節気を iCalendar ファイルに書き出し(&R)"),
            &wincal::koyomiexp_Click);
    buildSyncCommands(file);
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
    addItem(tool, "koyomiwin", QStringLiteral("暦の一覧(&K)"), &wincal::koyomi_Click);

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

    koyomiLine = new QLabel(area);
    koyomiLine->setObjectName(QStringLiteral("koyomiLine"));
    koyomiLine->setAccessibleName(QStringLiteral("暦"));
    koyomiLine->setFont(uifont::readableFont());
    koyomiLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Until a day is opened it has no place beside a heading.
    koyomiLine->hide();

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

// The heading sizes itself to its caption, and the rest of its row up to the alarm box's top is
// free in every state: the line goes there, where it moves nothing of the form. When it does not
// fit whole, the era year stands for the date and weekday, which the heading beside it shows;
// what is still too long is cut with "…". The tool tip and a screen reader have the whole line.
void wincal::showKoyomiLine(QDate date)
{
    const QString line = koyomi::dayLine(date);
    const int left = Label3->geometry().right() + 1 + layout::toPixels(120);
    const int right = layout::areaWidth(layout::entryWidth) - layout::toPixels(60);
    const int height = qMin(Label3->height(), layout::toPixels(layout::Check1.top));
    koyomiLine->setGeometry(left, 0, qMax(0, right - left), height);
    const QFontMetrics metrics(koyomiLine->font());
    QString shown = line;
    if (metrics.horizontalAdvance(shown) > koyomiLine->width() && !line.isEmpty())
        shown = koyomi::eraYearText(koyomi::eraOf(date))
                + line.sliced(koyomi::eraDateText(date).size());
    koyomiLine->setText(metrics.elidedText(shown, Qt::ElideRight, koyomiLine->width()));
    koyomiLine->setToolTip(line);
    koyomiLine->setAccessibleDescription(line);
    koyomiLine->show();
}
