#pragma once

// The 暦 window: the month the main window shows, a row a day with its date, weekday, holiday,
// 旧暦 date, 六曜 and solar term or 雑節 (koyomi/monthrows.h), and a copy of it all as
// tab-separated text for a spreadsheet or a mail.

#include "common/kyotu1.h"

#include <QWidget>

class QTableWidget;

class KoyomiWindow : public QWidget
{
    Q_OBJECT

public:
    explicit KoyomiWindow(QWidget *parent = nullptr);

    // Shows (year, month); `holidays` must be built for `year`.
    void showMonth(int year, int month, const kyotu1::HolidayTable &holidays);

    // Puts the headings and every row on the clipboard, tab-separated (Ctrl+C, コピー).
    void copyAsText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableWidget *table = nullptr;
    QString text; // the month as copyAsText puts it
};
