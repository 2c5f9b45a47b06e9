#include "about/frmabt.h"

#include "about/aboutlayout.h"
#include "common/helptexts.h"
#include "common/kyotu1.h"
#include "desktop/desktop.h"
#include "widgets/boxlines.h"
#include "widgets/fontfit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextFrame>

namespace {

using aboutlayout::toPixels;

// The address lines are this many pixels apart, and the first keeps this many more from the
// box's top line, which the tallest glyphs of a 9.75-point face would reach.
constexpr int addressLinePitch = 13;
constexpr int addressTopGap = 1;

// The window was drawn in ＭＳ 明朝 and ＭＳ Ｐゴシック: they are preferred where installed, and
// the free Japanese faces stand in for them elsewhere.
QFont minchoFont(qreal points)
{
    QFont font;
    font.setFamilies(QStringList {QStringLiteral("ＭＳ 明朝")} + fontfit::minchoFamilies());
    font.setPointSizeF(points);
    return font;
}

QFont gothicFont(qreal points)
{
    QFont font;
    font.setFamilies(QStringList {QStringLiteral("ＭＳ Ｐゴシック")} + fontfit::gothicFamilies());
    font.setPointSizeF(points);
    return font;
}

// Gives `widget` `font` when it differs from the one it has.
void changeFont(QWidget *widget, const QFont &font)
{
    if (font != widget->font())
        widget->setFont(font);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QLabel *makeLabel(QWidget *parent, const aboutlayout::Control &control, const QFont &font)
{
    auto *label = twips::place(new QLabel(parent), control);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// One stroke of the etched rule: a filled strip, `thickness` pixels high, between its two ends
// each rounded to the nearest pixel.
void makeLine(QWidget *parent, const aboutlayout::Control &stroke, int thickness,
              const QColor &colour)
{
    auto *line = new QWidget(parent);
    line->setObjectName(stroke.objectName());
    const int left = toPixels(stroke.left);
    line->setGeometry(left, toPixels(stroke.top), toPixels(stroke.left + stroke.width) - left,
                      thickness);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
}

// The 32 pixel icon for `label`, in the image drawn for its screen's scale (64 pixels at 2×).
QPixmap iconPicture(const QWidget &label)
{
    return desktop::applicationIcon().pixmap(QSize(32, 32), label.devicePixelRatioF());
}

} // namespace

QPointer<frmabt> frmabt::openWindow;

frmabt *frmabt::showInstance(Platform &platform)
{
    if (frmabt *open = instance()) {
        open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
        open->raise();
        open->activateWindow();
        return open;
    }
    openWindow = new frmabt(platform);
    openWindow->Form_Load();
    openWindow->show();
    return openWindow;
}

frmabt *frmabt::instance()
{
    // A closed window only waits for its deferred deletion: it no longer counts as open.
    return openWindow && openWindow->isVisible() ? openWindow.data() : nullptr;
}

frmabt::frmabt(Platform &platform) : QDialog(nullptr), platform(platform)
{
    setObjectName(QStringLiteral("frmabt"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed frame with the system menu and the close box only. A plain window rather than a
    // dialog: the window manager would tie a dialog to the program's windows and keep it above
    // the main window, which this window does not own.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setWindowIcon(desktop::applicationIcon());
    setFixedSize(toPixels(aboutlayout::windowWidth), toPixels(aboutlayout::windowHeight));
    buildControls();
    boxlines::useFor(this);
    desktop::hideFromTaskbar(*this);
}

void frmabt::buildControls()
{
    picIcon = twips::place(new QLabel(this), aboutlayout::picIcon);
    picIcon->setFrameStyle(QFrame::Box | QFrame::Plain);
    picIcon->setLineWidth(1);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(iconPicture(*picIcon));
    // Moved to a screen of another scale, it takes the picture drawn for that scale.
    picIcon->installEventFilter(this);
    picIcon->setBackgroundRole(QPalette::Window);
    picIcon->setAutoFillBackground(true);
    picIcon->setFocusPolicy(Qt::StrongFocus);

    lblTitle = makeLabel(this, aboutlayout::lblTitle, minchoFont(12));
    setTextColour(lblTitle, Qt::black);
    exename = makeLabel(this, aboutlayout::exename, minchoFont(9.75));
    lblVersion = makeLabel(this, aboutlayout::lblVersion, minchoFont(9.75));

    Command1 = twips::place(new QPushButton(QStringLiteral("作者HP"), this), aboutlayout::Command1);
    Command1->setFont(gothicFont(8.25));

    lblDescription = makeLabel(this, aboutlayout::lblDescription, minchoFont(9.75));
    lblDescription->setWordWrap(true);
    setTextColour(lblDescription, Qt::black);

    cmdOK = twips::place(new QPushButton(QStringLiteral("OK"), this), aboutlayout::cmdOK);
    // Enter presses it as the default button; Esc closes the dialog just as it does.
    cmdOK->setDefault(true);

    // The etched rule: the grey stroke lies over the top row of the white one.
    makeLine(this, aboutlayout::Line1_0, 2, Qt::white);
    makeLine(this, aboutlayout::Line1_1, 1, QColor(128, 128, 128));

    Text1 = twips::place(new QTextEdit(this), aboutlayout::Text1);
    Text1->setFont(minchoFont(9.75));
    Text1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Text1->setLineWidth(1);
    Text1->setTabChangesFocus(true);
    Text1->setAcceptRichText(false);
    // The four address lines fill the box without scrolling: lines 13 pixels apart, the height
    // of the 9.75-point face at 96 dots an inch.
    Text1->document()->setDocumentMargin(1);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Enter belongs to the default button here too, as everywhere else in the window.
    Text1->installEventFilter(this);

    setTabOrder(cmdOK, picIcon);
    setTabOrder(picIcon, Text1);
    setTabOrder(Text1, Command1);
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmabt::cmdOK_Click);
    connect(Command1, &QPushButton::clicked, this, &frmabt::Command1_Click);
}

void frmabt::Form_Load()
{
    lblTitle->setText(QStringLiteral("暦丸カレンダー"));
    exename->setText(QStringLiteral("(REKOVA.exe)"));
    lblDescription->setText(QStringLiteral("スケジュールも入れられる万年カレンダーです。"));
    Text1->setPlainText(helptexts::addressText(kyotu1::homePageUrl(), kyotu1::authorEmail()));
    QTextCursor all(Text1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat lines;
    lines.setLineHeight(addressLinePitch, QTextBlockFormat::FixedHeight);
    all.mergeBlockFormat(lines);
    QTextFrameFormat frame = Text1->document()->rootFrame()->frameFormat();
    frame.setTopMargin(Text1->document()->documentMargin() + addressTopGap);
    Text1->document()->rootFrame()->setFrameFormat(frame);
    lblVersion->setText(helptexts::versionText());
    fitCaptions();
}

// A face other than the one the window was drawn for may need a smaller size to fit.
void frmabt::fitCaptions()
{
    for (QLabel *label : {lblTitle, exename, lblVersion, lblDescription}) {
        changeFont(label,
                   fontfit::fitted(label->font(),
                                   {{label->text(), label->size(), label->wordWrap(),
                                     label->alignment()}}));
    }

    QStyleOptionButton button;
    button.initFrom(Command1);
    const QRect room
            = Command1->style()->subElementRect(QStyle::SE_PushButtonContents, &button, Command1);
    changeFont(Command1,
               fontfit::fitted(Command1->font(),
                               {{Command1->text(), room.size(), false, Qt::AlignCenter}}));

    // Every address line within the box. Qt sets the baseline of a line of fixed height at four
    // fifths of it: the first line's ink must stay below the top and the last line's above the
    // bottom, a pixel clear of the box's lines.
    const QStringList addresses = Text1->toPlainText().split(u'\n');
    const qreal margin = Text1->document()->documentMargin();
    const QSize inside = Text1->contentsRect().size();
    const qreal firstBaseline = margin + addressTopGap + addressLinePitch * 0.8;
    const auto fits = [&](const QFont &font) {
        for (qsizetype i = 0; i < addresses.size(); ++i) {
            const QRect ink = fontfit::inkOnBaseline(font, addresses[i]);
            const QPoint pen(qRound(margin), qRound(firstBaseline + addressLinePitch * i));
            if (!fontfit::clearOfEdges(ink.translated(pen), inside))
                return false;
        }
        return true;
    };
    changeFont(Text1, fontfit::fitted(Text1->font(), fits));
}

void frmabt::cmdOK_Click()
{
    close();
}

bool frmabt::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == picIcon && event->type() == QEvent::ScreenChangeInternal)
        picIcon->setPixmap(iconPicture(*picIcon));
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (enter && plain) {
            cmdOK->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmabt::Command1_Click()
{
    kyotu1::openHomePage(platform);
}
