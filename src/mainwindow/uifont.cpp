#include "mainwindow/uifont.h"

#include "calendar/monthview.h"
#include "common/kyotu1.h"
#include "mainwindow/layout.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>

namespace uifont {

namespace {

constexpr int designPixels = 12;
constexpr int smallestPixels = 6;

struct Families
{
    QStringList gothic;
    QStringList mincho;
};

Families &chosenFamilies()
{
    static Families families;
    return families;
}

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
        all.push_back({text, textRoom(QStyle::SE_PushButtonContents, control, text)});
    };
    button(Command1, captions::Command1);
    button(Command2, captions::Command2);
    button(Command4, captions::Command4);
    button(Command5, captions::Command5);
    button(Command3, captions::Command3);

    // Weekday headers and day cells: inside their one-pixel borders.
    const QSize cellInside = label2(0).size() - QSize(2, 2);
    for (const QString &weekday : kyotu1::initApp(QDate(2000, 1, 1)).weekdayHeaders)
        all.push_back({weekday, cellInside});
    for (int day = 1; day <= 31; ++day)
        all.push_back({QStringLiteral("%1").arg(day, 2), cellInside});

    // The frame's caption stands above the weekday headers.
    all.push_back(
            {rekovabas::monthCaption(2000, 12), QSize(Frame1.pixels().width(), label1(0).top())});

    // The heading box ends above the hint and inside the wide window; the longest heading is
    // that of the longest holiday name, 即位礼正殿の儀 on 12 November 1990.
    kyotu1::HolidayTable holidays;
    [[maybe_unused]] const int leftOut = kyotu1::buildHolidays(holidays, 1990);
    all.push_back({kyotu1::dayHeading(1990, 11, 12, holidays),
                   QSize(areaWidth(kyotu1::entryWidth) - Label3.pixels().left() - 2,
                         Label4.pixels().top() - Label3.pixels().top() - 2)});
    return all;
}

} // namespace

QStringList gothicFamilies()
{
    if (!chosenFamilies().gothic.isEmpty())
        return chosenFamilies().gothic;
    return {QStringLiteral("IPAPGothic"),       QStringLiteral("IPAGothic"),
            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
            QStringLiteral("VL Gothic"),        QStringLiteral("Droid Sans Fallback")};
}

QStringList minchoFamilies()
{
    if (!chosenFamilies().mincho.isEmpty())
        return chosenFamilies().mincho;
    return QStringList {QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")}
    + gothicFamilies();
}

void useFamilies(const QStringList &gothic, const QStringList &mincho)
{
    chosenFamilies() = {gothic, mincho};
}

QFont fitted(QFont font, const std::function<bool(const QFontMetrics &)> &fits)
{
    if (fits(QFontMetrics(font)))
        return font;
    for (int pixels = QFontInfo(font).pixelSize() - 1; pixels > smallestPixels; --pixels) {
        font.setPixelSize(pixels);
        if (fits(QFontMetrics(font)))
            return font;
    }
    font.setPixelSize(smallestPixels);
    return font;
}

QFont fitted(const QFont &font, const std::vector<Caption> &captions)
{
    return fitted(font, [&captions](const QFontMetrics &metrics) {
        for (const Caption &caption : captions) {
            // The height as a label lays the text out, which rounds each line's height up; the
            // width of one line is its advance, which the glyphs' side bearings keep inside.
            const int flags = Qt::AlignLeft | Qt::AlignTop | (caption.wrap ? Qt::TextWordWrap : 0);
            const QRect box
                    = metrics.boundingRect(QRect(QPoint(0, 0), caption.room), flags, caption.text);
            const int width = caption.wrap ? box.width() : metrics.horizontalAdvance(caption.text);
            if (width > caption.room.width() || box.height() > caption.room.height())
                return false;
        }
        return true;
    });
}

QFont japaneseFont()
{
    static QStringList measuredFamilies;
    static int measuredPixels = 0;

    QFont font = QApplication::font();
    font.setFamilies(gothicFamilies());
    if (measuredPixels == 0 || measuredFamilies != font.families()) {
        font.setPixelSize(designPixels);
        measuredPixels = QFontInfo(fitted(font, mainWindowCaptions())).pixelSize();
        measuredFamilies = font.families();
    }
    font.setPixelSize(measuredPixels);
    return font;
}

} // namespace uifont
