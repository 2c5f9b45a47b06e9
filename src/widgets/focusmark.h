#pragma once

#include <QColor>
#include <QPainter>
#include <QWidget>

// The keyboard focus on a control that Qt draws no mark on (a day cell, a colour swatch): a dotted
// line just inside its border, in `colour`.
inline void drawFocusMark(QWidget *widget, const QColor &colour)
{
    QPainter painter(widget);
    painter.setPen(QPen(colour, 0, Qt::DotLine));
    painter.drawRect(widget->rect().adjusted(1, 1, -2, -2));
}
