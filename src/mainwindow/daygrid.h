#pragma once

// The month grid from the keyboard and for screen readers.
//
// The grid is one stop of the Tab order: of the day cells, only the one that carries the focus
// mark takes the focus by Tab, so that Tab passes the grid in one step. In the grid the arrow
// keys move the mark from day to day and on into the month before or after; Return or Space acts
// as a left click on the marked day, and the context-menu key or Shift+F10 as a right click. A
// screen reader hears each cell's date and what its colour tells, and can press a cell.

#include "calendar/monthstep.h"
#include "calendar/monthview.h"
#include "widgets/mouseup.h"

#include <QDate>

#include <array>

// A day cell: a label that reports mouse releases, and draws a focus mark inside its border
// while it has the keyboard focus.
class DayCellLabel : public MouseUpLabel
{
    Q_OBJECT

public:
    using MouseUpLabel::MouseUpLabel;

    // Returns: the day of the month that the cell shows, or 0 when it shows none.
    int day() const;

    // Acts as a release of `button` over the cell.
    void press(Qt::MouseButton button);
    // Acts as press(button) once control is back in the event loop: a screen reader's request
    // must not wait for a message box that the action shows.
    void pressLater(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
};

class DayGrid : public QObject
{
    Q_OBJECT

public:
    using Cells = std::array<DayCellLabel *, rekovabas::cellCount>;

    // Takes the keyboard for `cells`, the day cells in order, which must outlive the grid.
    DayGrid(const Cells &cells, QObject *parent);

    // To be called after every drawing of the month. A month other than the one drawn before
    // puts the mark on `today` when it is a day of it, else on the first day; the same month
    // keeps the mark where it was.
    void monthDrawn(int year, int month, QDate today);

signals:
    // The mark left the month: the previous or the next month is wanted, as 前月 or 翌月 give
    // it. When the month shown has changed afterwards, the mark goes on to the day it reached.
    void monthStepWanted(rekovabas::StepDirection direction);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPressed(DayCellLabel *cell, const QKeyEvent &key);
    void moveBy(int days);
    // Puts the mark on `day`, with the focus when `focus` is set.
    void mark(int day, bool focus);
    DayCellLabel *cellOf(int day) const;

    Cells m_cells;
    int m_year = 0;
    int m_month = 0;
    int m_day = 0;
    // Set while the month changes under the mark: the focus waits for the day it reached.
    bool m_stepping = false;
};
