#include "mainwindow/uifont.h"

#include "calendar/monthview.h"
#include "common/kyotu1.h"
#include "mainwindow/layout.h"
#include "widgets/fontfit.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace uifont {

namespace {

using fontfit::Caption;
using fontfit::clearOfEdges;
using fontfit::inkOf;

constexpr int designPixels = 12;

// The room that the application style leaves for the caption of a check box or a button.
QSize textRoom(QStyle::SubElement contents, const layout::Control &control, const QString &text)
{
    QStyleOptionButton option;
    option.rect = QRect(QPoint(0, 0), control.pixels().size());
    option.text = text;
    return QApplication::style()->subElementRect(contents, &option, nullptr).size();
}

// The captions of the main window with the room each may take up. The day cells, the frame and
// the heading show texts that change: they are represented by their widest forms.
std::vector<Caption> mainWindowCaptions()
{
    using namespace layout;
    std::vector<Caption> all;

    // The hint runs under the alarm box, which lies over its right end.
    all.push_back(
            {captions::Label4,
             QSize(Check1.pixels().left() - Label4.pixels().left(), Label4.pixels().height())});

    const auto checkBox = [&](const Control &control, const QString &text) {
        all.push_back({text, textRoom(QStyle::SE_CheckBoxContents, control, text)});
    };
    checkBox(Check1, captions::Check1);
    for (std::size_t i = 0; i < repeatBoxes.size(); ++i)
        checkBox(repeatBoxes[i], captions::repeatBoxes[i]);

    const auto button = [&](const Control &control, const QString &text) {
        all.push_back({text, textRoom(QStyle::SE_PushButtonContents, control, text), false,
                       Qt::AlignCenter});
    };
    button(Command1, captions::Command1);
    button(Command2, captions::Command2);
    button(Command4, captions::Command4);
    button(Command5, captions::Command5);
    button(Command3, captions::Command3);

    // Weekday headers and day cells: inside their one-pixel borders.
    const QSize cellInside = label2(0).size() - QSize(2, 2);
    for (int weekday = 0; weekday < 7; ++weekday)
        all.push_back({kyotu1::weekdayHeader(weekday), cellInside, false, Qt::AlignCenter});
    for (int day = 1; day <= 31; ++day)
        all.push_back({QStringLiteral("%1").arg(day, 2), cellInside, false, Qt::AlignCenter});

    // The frame's caption stands at its top, above the weekday headers.
    all.push_back({rekovabas::monthCaption(2000, 12),
                   QSize(Frame1.pixels().width(), label1(0).top()), false,
                   Qt::AlignLeft | Qt::AlignTop});

    // The heading box ends on the hint's top row and inside the wide window; its text is centred
    // from top to bottom and keeps a pixel clear of its lines. The longest heading is that of the
    // longest holiday name, 即位礼正殿の儀 on 12 November 1990.
    kyotu1::HolidayTable holidays;
    [[maybe_unused]] const int leftOut = kyotu1::buildHolidays(holidays, 1990);
    all.push_back({kyotu1::dayHeading(1990, 11, 12, holidays),
                   QSize(areaWidth(layout::entryWidth) - Label3.pixels().left() - 4,
                         headingHeight() - 4)});
    return all;
}

} // namespace

int headingHeight()
{
    return layout::Label4.pixels().top() - layout::Label3.pixels().top() + 1;
}

QFont japaneseFont()
{
    static QStringList measuredFamilies;
    static int measuredPixels = 0;

    QFont font = QApplication::font();
    font.setFamilies(fontfit::gothicFamilies());
    if (measuredPixels == 0 || measuredFamilies != font.families()) {
        font.setPixelSize(designPixels);
        measuredPixels = QFontInfo(fontfit::fitted(font, mainWindowCaptions())).pixelSize();
        measuredFamilies = font.families();
    }
    font.setPixelSize(measuredPixels);
    return font;
}

QFont readableFont()
{
    QFont font = japaneseFont();
    if (QFontInfo(font).pixelSize() < readablePixels)
        font.setPixelSize(readablePixels);
    return font;
}

void fitBoxToCaption(QLabel *box, int largestHeight)
{
    const QFont font = box->font();
    const QString text = box->text();
    const int frame = 2 * box->frameWidth();
    const int flags = int(box->alignment());
    // As wide as the caption's advance or its ink, whichever reaches further, and a pixel more.
    const QFontMetrics metrics(font);
    const QSize line(metrics.horizontalAdvance(text), metrics.height());
    const int width = std::max(line.width(), inkOf(font, text, line, flags).right() + 1) + 1;
    // The label places its line by the face's line height, not by the ink: try each height.
    int height = frame + 3;
    while (height < largestHeight
           && !clearOfEdges(inkOf(font, text, QSize(width, height - frame), flags),
                            QSize(width, height - frame)))
        ++height;
    box->resize(width + frame, height);
}

void fitHeading(QLabel *box)
{
    const QRect alarmBox = layout::Check1.pixels();
    const int roomBesideAlarm = alarmBox.top() - layout::Label3.pixels().top() + 1;
    QFont font = readableFont();
    for (;;) {
        box->setFont(font);
        fitBoxToCaption(box, headingHeight());
        const bool reachesAlarm = box->geometry().right() >= alarmBox.left();
        if (!reachesAlarm || box->height() <= roomBesideAlarm)
            return;
        const int pixels = QFontInfo(font).pixelSize();
        if (pixels <= readablePixels) {
            fitBoxToCaption(box, roomBesideAlarm);
            return;
        }
        font.setPixelSize(pixels - 1);
    }
}

} // namespace uifont
