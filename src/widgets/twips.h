#pragma once

// Both windows lay out their controls in twips, 15 to the pixel. Each edge and size is rounded
// to the nearest pixel on its own, so every window turns the same twips into the same pixels.

#include <QRect>
#include <QString>
#include <QWidget>

#include <string_view>

namespace twips {

constexpr int perPixel = 15;

// Twips to pixels, to the nearest pixel.
constexpr int toPixels(int length)
{
    return (length + perPixel / 2) / perPixel;
}

// A control of a window's layout, named as its objectName, placed in twips from the top-left of
// its parent.
struct Control
{
    std::string_view name;
    int left;
    int top;
    int width;
    int height;

    QString objectName() const { return QString::fromLatin1(name.data(), qsizetype(name.size())); }
    QRect pixels() const
    {
        return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
    }
};

// Returns: `widget`, named after `control` and put where the layout places it.
template<typename Widget> Widget *place(Widget *widget, const Control &control)
{
    widget->setObjectName(control.objectName());
    widget->setGeometry(control.pixels());
    return widget;
}

} // namespace twips
