#include "widgets/boxlines.h"

#include <QApplication>
#include <QFrame>
#include <QPainter>
#include <QStyleOption>

#include <cmath>

namespace {

bool whole(qreal value)
{
    return std::abs(value - std::round(value)) < 1e-6;
}

// True when `device` takes every whole logical pixel onto whole device pixels.
bool onDevicePixels(const QTransform &device)
{
    return device.type() <= QTransform::TxScale && whole(device.m11()) && whole(device.m22())
            && whole(device.dx()) && whole(device.dy());
}

// The device pixels that `rect` covers, each edge rounded to the nearest pixel edge as Qt does
// when it fills a control's background.
QRect devicePixels(const QTransform &device, const QRect &rect)
{
    const QRectF exact = device.mapRect(QRectF(rect));
    return QRect(QPoint(qRound(exact.left()), qRound(exact.top())),
                 QPoint(qRound(exact.right()) - 1, qRound(exact.bottom()) - 1));
}

// Makes `painter` draw in device pixels from here on. Qt's part of the device transform (the
// scale and the control's place in the window) sits under the world transform.
void paintInDevicePixels(QPainter *painter)
{
    const QTransform qtPart = painter->worldTransform().inverted() * painter->deviceTransform();
    painter->setWorldTransform(qtPart.inverted());
}

} // namespace

BoxLineStyle::BoxLineStyle(QObject *parent) : QProxyStyle(QApplication::style()->name())
{
    setParent(parent);
}

void BoxLineStyle::drawControl(ControlElement element, const QStyleOption *option,
                               QPainter *painter, const QWidget *widget) const
{
    const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
    const bool plainBox = element == CE_ShapedFrame && frame && frame->frameShape == QFrame::Box
            && !(option->state & (State_Sunken | State_Raised)) && frame->lineWidth > 0;
    const QTransform device = painter->deviceTransform();
    if (!plainBox || onDevicePixels(device)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }

    const QRect box = devicePixels(device, option->rect);
    const int line = std::max(1, qRound(frame->lineWidth * device.m11()));
    const QColor colour
            = option->palette.color(widget ? widget->foregroundRole() : QPalette::WindowText);
    painter->save();
    paintInDevicePixels(painter);
    painter->fillRect(QRect(box.left(), box.top(), box.width(), line), colour);
    painter->fillRect(QRect(box.left(), box.bottom() - line + 1, box.width(), line), colour);
    painter->fillRect(QRect(box.left(), box.top(), line, box.height()), colour);
    painter->fillRect(QRect(box.right() - line + 1, box.top(), line, box.height()), colour);
    painter->restore();
}

namespace boxlines {

void useFor(QWidget *window)
{
    auto *style = new BoxLineStyle(window);
    for (QFrame *frame : window->findChildren<QFrame *>()) {
        if (frame->frameShape() == QFrame::Box && frame->frameShadow() == QFrame::Plain)
            frame->setStyle(style);
    }
}

} // namespace boxlines
