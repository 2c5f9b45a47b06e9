// Maintainer's tool: draws the larger sizes of the icon (48, 64 and 128 pixels) and its scalable
// version from one description of the spiral-bound pad, in the 16 VGA colours like the hand-drawn
// 16 and 32 pixel images. Its output is kept in data/icons; run it again after changing the
// drawing: cmake --build <build dir> --target rekova_redraw_icons.
// Usage: drawpad <folder>. Exit status 1 when a file cannot be written.

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The colours the 32 pixel image uses.
constexpr QRgb black = 0xFF000000;
constexpr QRgb grey = 0xFF808080;
constexpr QRgb silver = 0xFFC0C0C0;
constexpr QRgb white = 0xFFFFFFFF;
constexpr QRgb navy = 0xFF000080;
constexpr QRgb blue = 0xFF0000FF;
constexpr QRgb red = 0xFFFF0000;

struct Box
{
    QRect rect;
    QRgb colour;
};

// The pad drawn `size` pixels square, as boxes painted in order over a transparent ground. The
// places are those of the 32 pixel image, scaled; lines stay one or two pixels thick.
std::vector<Box> pad(int size)
{
    const double scale = size / 32.0;
    const auto at = [scale](double v) { return int(std::floor(v * scale + 0.5)); };
    const auto box = [](int left, int top, int right, int bottom, QRgb colour) {
        return Box {QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), colour};
    };
    const int line = std::max(1, size / 64); // outlines
    const int rule = std::max(1, size / 48); // ruled lines and the margin
    const int shadow = std::max(1, size / 32);

    const int left = at(3), right = at(27), top = at(4), bottom = at(30);
    const int cover = at(10); // the black line under the cover
    const int margin = at(8);

    std::vector<Box> boxes;
    boxes.push_back(
            box(left + 2 * shadow, top + 2 * shadow, right + shadow, bottom + shadow, grey));
    boxes.push_back(box(left, top, right, bottom, black));
    boxes.push_back(box(left + line, top + line, right - line, cover, navy));
    boxes.push_back(box(left + line, top + line, right - line, top + 2 * line, blue));
    boxes.push_back(box(left + line, cover + line, right - line, bottom - line, white));
    // Five ruled lines, evenly spaced on every size.
    for (int i = 0, y = at(14); i < 5; ++i, y += at(3))
        boxes.push_back(box(at(5), y, at(25), y + rule, silver));
    boxes.push_back(box(margin, cover + line, margin + rule, bottom - line, red));
    boxes.push_back(box(at(18), at(12), at(24), at(14), red)); // the marked day

    // Five rings of wire come over the top through holes in the cover: black outside, a white
    // gleam on the larger sizes, then silver and grey.
    for (int i = 0; i < 5; ++i) {
        const int x0 = at(5.5 + 4 * i), x1 = at(8.5 + 4 * i);
        const int y0 = at(1), y1 = at(7), hole = at(8);
        boxes.push_back(box(x0, y0 + line, x1, y1, black));
        boxes.push_back(box(x0 + line, y0, x1 - line, y0 + line, black));
        const int inner = x1 - x0 - 2 * line;
        const int gleam = inner >= 8 ? line : 0;
        const int middle = x0 + line + gleam + (inner - gleam) / 2;
        boxes.push_back(box(x0 + line, y0 + line, x0 + line + gleam, hole, white));
        boxes.push_back(box(x0 + line + gleam, y0 + line, middle, hole, silver));
        boxes.push_back(box(middle, y0 + line, x1 - line, hole, grey));
        boxes.push_back(
                box(x0 + line, hole, x1 - line, hole + std::max(line, (hole - y1) / 2), black));
    }
    return boxes;
}

bool writePng(const QString &path, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (const Box &b : pad(size))
        painter.fillRect(b.rect, QColor::fromRgba(b.colour));
    painter.end();
    return image.save(path, "PNG");
}

// The 128 pixel drawing as rectangles: it scales to any size and is sharp at 128 and its
// multiples.
bool writeSvg(const QString &path)
{
    constexpr int size = 128;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&file);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << size << "\" height=\"" << size
        << "\" viewBox=\"0 0 " << size << ' ' << size << "\" shape-rendering=\"crispEdges\">\n";
    for (const Box &b : pad(size)) {
        out << "  <rect x=\"" << b.rect.x() << "\" y=\"" << b.rect.y() << "\" width=\""
            << b.rect.width() << "\" height=\"" << b.rect.height() << "\" fill=\""
            << QColor::fromRgba(b.colour).name() << "\"/>\n";
    }
    out << "</svg>\n";
    out.flush();
    return file.flush() && out.status() == QTextStream::Ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: drawpad <folder>\n";
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int size : {48, 64, 128}) {
        const QString path = folder + QStringLiteral("/rekova-%1.png").arg(size);
        if (!writePng(path, size)) {
            err << "drawpad: cannot write " << path << '\n';
            return 1;
        }
    }
    const QString svg = folder + QStringLiteral("/rekova.svg");
    if (!writeSvg(svg)) {
        err << "drawpad: cannot write " << svg << '\n';
        return 1;
    }
    return 0;
}
