#include "widgets/mouseup.h"

#include <QMouseEvent>

void MouseUpButton::mousePressEvent(QMouseEvent *event)
{
    // The left button gives the pressed look; the others are taken here so that their release
    // comes back to this button rather than to its parent.
    if (event->button() == Qt::LeftButton)
        QPushButton::mousePressEvent(event);
    else
        event->accept();
}

void MouseUpButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool over = rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        QPushButton::mouseReleaseEvent(event);
    else
        event->accept();
    if (over)
        emit mouseUp(event->button(), event->modifiers());
}

void MouseUpLabel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void MouseUpLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (rect().contains(event->position().toPoint()))
        emit mouseUp(event->button(), event->modifiers());
}
