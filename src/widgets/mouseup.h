#pragma once

// Controls that act on the release of any mouse button over them, and tell which button and
// which modifier keys, as the month buttons and the day cells need.

#include <QLabel>
#include <QPushButton>

// A push button that reports every mouse-button release over it. Keyboard activation (Space)
// still emits clicked(), which the main window leaves unconnected.
class MouseUpButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

signals:
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A label that reports every mouse-button release over it.
class MouseUpLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
