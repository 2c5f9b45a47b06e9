#include "mainwindow/daygrid.h"

#include "widgets/focusmark.h"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace {

// A day cell as a screen reader sees it: a button named by its date, with the press of a left
// click and the menu of a right click.
class DayCellAccessible : public QAccessibleWidget
{
public:
    explicit DayCellAccessible(DayCellLabel *cell)
        : QAccessibleWidget(cell, QAccessible::Button) { }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        // Every day can take the focus, though Tab stops only on the marked one.
        state.focusable = cell()->day() > 0;
        return state;
    }

    QStringList actionNames() const override
    {
        if (cell()->day() == 0)
            return {};
        return {pressAction(), showMenuAction(), setFocusAction()};
    }

    void doAction(const QString &name) override
    {
        if (cell()->day() == 0)
            return;
        if (name == pressAction())
            cell()->pressLater(Qt::LeftButton);
        else if (name == showMenuAction())
            cell()->pressLater(Qt::RightButton);
        else
            QAccessibleWidget::doAction(name);
    }

    QStringList keyBindingsForAction(const QString &name) const override
    {
        if (name == pressAction())
            return {QStringLiteral("Return"), QStringLiteral("Space")};
        if (name == showMenuAction())
            return {QStringLiteral("Menu"), QStringLiteral("Shift+F10")};
        return {};
    }

private:
    DayCellLabel *cell() const { return static_cast<DayCellLabel *>(widget()); }
};

QAccessibleInterface *dayCellAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("DayCellLabel") && object && object->isWidgetType())
        return new DayCellAccessible(static_cast<DayCellLabel *>(object));
    return nullptr;
}

} // namespace

int DayCellLabel::day() const
{
    return isHidden() ? 0 : text().trimmed().toInt();
}

void DayCellLabel::press(Qt::MouseButton button)
{
    emit mouseUp(button, Qt::NoModifier);
}

void DayCellLabel::pressLater(Qt::MouseButton button)
{
    QTimer::singleShot(0, this, [this, button] { press(button); });
}

void DayCellLabel::paintEvent(QPaintEvent *event)
{
    MouseUpLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // In the text's colour: it shows on every background.
    drawFocusMark(this, palette().color(foregroundRole()));
}

DayGrid::DayGrid(const Cells &cells, QObject *parent) : QObject(parent), m_cells(cells)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(dayCellAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    for (DayCellLabel *cell : m_cells) {
        cell->setFocusPolicy(Qt::NoFocus);
        cell->installEventFilter(this);
    }
}

void DayGrid::monthDrawn(int year, int month, QDate today)
{
    if (year != m_year || month != m_month) {
        m_year = year;
        m_month = month;
        m_day = today.year() == year && today.month() == month ? today.day() : 1;
    }
    const bool focused = std::any_of(m_cells.begin(), m_cells.end(),
                                     [](const DayCellLabel *cell) { return cell->hasFocus(); });
    mark(m_day, focused);
}

bool DayGrid::eventFilter(QObject *watched, QEvent *event)
{
    // A cell being destroyed is no longer a day cell by the time its last events come.
    auto *cell = qobject_cast<DayCellLabel *>(watched);
    if (!cell)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyPressed(cell, *static_cast<QKeyEvent *>(event));
    case QEvent::ContextMenu:
        // The context-menu key has been answered as a key press already.
        return static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard;
    case QEvent::FocusIn:
        // Focused by other means, a screen reader's request for one: the mark follows.
        if (cell->day() > 0 && cell->day() != m_day)
            mark(cell->day(), false);
        return false;
    default:
        return false;
    }
}

bool DayGrid::keyPressed(DayCellLabel *cell, const QKeyEvent &key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (!plain)
            return false;
        const int step = key.key() == Qt::Key_Left ? -1
                : key.key() == Qt::Key_Right       ? 1
                : key.key() == Qt::Key_Up          ? -7
                                                   : 7;
        moveBy(step);
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!plain)
            return false;
        cell->press(Qt::LeftButton);
        return true;
    case Qt::Key_Menu:
    case Qt::Key_F10:
        if (key.key() == Qt::Key_Menu ? !plain : modifiers != Qt::ShiftModifier)
            return false;
        cell->press(Qt::RightButton);
        return true;
    default:
        return false;
    }
}

void DayGrid::moveBy(int days)
{
    const QDate from(m_year, m_month, m_day);
    if (!from.isValid())
        return;
    const QDate to = from.addDays(days);
    if (to.year() != m_year || to.month() != m_month) {
        // The month is redrawn meanwhile; the mark is placed once it is done.
        m_stepping = true;
        emit monthStepWanted(days < 0 ? rekovabas::StepDirection::Back
                                      : rekovabas::StepDirection::Forward);
        m_stepping = false;
        // A step out of the years the calendar computes is refused: the mark stays.
        if (to.year() != m_year || to.month() != m_month) {
            mark(m_day, true);
            return;
        }
    }
    mark(to.day(), true);
}

void DayGrid::mark(int day, bool focus)
{
    m_day = day;
    DayCellLabel *marked = cellOf(day);
    for (DayCellLabel *cell : m_cells)
        cell->setFocusPolicy(cell == marked ? Qt::TabFocus : Qt::NoFocus);
    if (marked && focus && !m_stepping)
        marked->setFocus(Qt::OtherFocusReason);
}

DayCellLabel *DayGrid::cellOf(int day) const
{
    const auto found = std::find_if(m_cells.begin(), m_cells.end(),
                                    [day](const DayCellLabel *cell) { return cell->day() == day; });
    return day < 1 || found == m_cells.end() ? nullptr : *found;
}
