#pragma once

// Box lines on whole device pixels.
//
// At a scale such as 1.25 a control's edges fall between device pixels. Qt fills the control's
// background up to the nearest pixel edge, but strokes a one-pixel box line at the scaled place
// of the control's last pixel, which can fall on the device pixel just past what the control
// covers and be clipped away: the heading box and the list lost their bottom lines.
// BoxLineStyle draws the lines of plain boxes on the outermost device pixels the control covers,
// as wide as the scale makes one pixel. Where every pixel of the layout falls on whole device
// pixels (scale 1 or 2) it leaves the drawing to the application's style, pixel for pixel.

#include <QProxyStyle>

class BoxLineStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // A style over the application's style, owned by `parent`.
    explicit BoxLineStyle(QObject *parent);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};

namespace boxlines {

// Gives the plain boxes inside `window` (frames with a plain box border) a BoxLineStyle that
// `window` owns. Call it once the window's controls exist.
void useFor(QWidget *window);

} // namespace boxlines
