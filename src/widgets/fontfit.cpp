#include "widgets/fontfit.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <vector>

namespace fontfit {

namespace {

constexpr int smallestPixels = 6;

// A pixel counts as ink when the glyph covers a good third of it: fainter edge pixels do not
// read as touching a line.
constexpr int inkGrey = 160;

// Draws with `draw` on white, black pen and `font`, into an image that reaches `spare` pixels
// beyond `area` on every side, at the scales 1 and 2: the finer drawing shows where the glyphs'
// outlines end, which screens of a higher scale draw. Returns: the pixels that either drawing
// darkens, in the coordinates that `draw` draws in.
template<typename Draw>
QRect inkIn(const QFont &font, const QRect &area, int spare, const Draw &draw)
{
    QRect ink;
    for (int scale : {1, 2}) {
        QImage image((area.size() + QSize(2 * spare, 2 * spare)) * scale, QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.translate(spare - area.left(), spare - area.top());
        draw(painter);
        painter.end();

        // The bounds of the dark pixels, kept as numbers: a rectangle joined per pixel costs
        // more than the drawing, and the window measures its captions at every start.
        const int width = image.width();
        const int height = image.height();
        // Most lines are blank, which one comparison of the whole line tells.
        const std::vector<QRgb> blank(size_t(width), QRgb(0xFFFFFFFF));
        int left = width, right = -1, top = height, bottom = -1;
        for (int y = 0; y < height; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            if (std::memcmp(line, blank.data(), size_t(width) * sizeof(QRgb)) == 0)
                continue;
            int x = 0;
            while (x < width && qGray(line[x]) >= inkGrey)
                ++x;
            if (x == width)
                continue;
            int last = width - 1;
            while (qGray(line[last]) >= inkGrey)
                --last;
            left = qMin(left, x);
            right = qMax(right, last);
            top = qMin(top, y);
            bottom = y;
        }
        if (right >= 0)
            ink |= QRect(QPoint(left / scale, top / scale), QPoint(right / scale, bottom / scale));
    }
    return ink.translated(area.topLeft() - QPoint(spare, spare));
}

// Room for glyphs that overshoot their line box on every side.
int spareFor(const QFont &font)
{
    return 2 * QFontInfo(font).pixelSize() + 2;
}

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

} // namespace

QRect inkOf(const QFont &font, const QString &text, const QSize &room, int flags)
{
    const QRect area(QPoint(0, 0), room);
    return inkIn(font, area, spareFor(font), [&](QPainter &painter) {
        painter.drawText(area, flags | Qt::TextDontClip, text);
    });
}

QRect inkOnBaseline(const QFont &font, const QString &text)
{
    const QFontMetrics metrics(font);
    const QRect line(0, -metrics.ascent(), metrics.horizontalAdvance(text), metrics.height());
    return inkIn(font, line, spareFor(font),
                 [&](QPainter &painter) { painter.drawText(QPoint(0, 0), text); });
}

bool clearOfEdges(const QRect &ink, const QSize &room)
{
    return ink.isNull() || QRect(QPoint(1, 1), room - QSize(2, 2)).contains(ink);
}

bool inside(const QRect &ink, const QSize &room)
{
    return ink.isNull() || QRect(QPoint(0, 0), room).contains(ink);
}

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

QFont fitted(QFont font, const std::function<bool(const QFont &)> &fits)
{
    if (fits(font))
        return font;
    for (int pixels = QFontInfo(font).pixelSize() - 1; pixels > smallestPixels; --pixels) {
        font.setPixelSize(pixels);
        if (fits(font))
            return font;
    }
    font.setPixelSize(smallestPixels);
    return font;
}

QFont fitted(const QFont &font, const std::vector<Caption> &captions)
{
    return fitted(font, [&captions](const QFont &candidate) {
        for (const Caption &caption : captions) {
            const int flags = int(caption.alignment) | (caption.wrap ? Qt::TextWordWrap : 0);
            if (!inside(inkOf(candidate, caption.text, caption.room, flags), caption.room))
                return false;
        }
        return true;
    });
}

} // namespace fontfit
