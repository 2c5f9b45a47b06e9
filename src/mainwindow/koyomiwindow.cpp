#include "mainwindow/koyomiwindow.h"

#include "calendar/monthview.h"
#include "koyomi/monthrows.h"
#include "mainwindow/uifont.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

KoyomiWindow::KoyomiWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("koyomi"));
    setFont(uifont::japaneseFont());
    table = new QTableWidget(this);
    table->setObjectName(QStringLiteral("koyomiTable"));
    table->setAccessibleName(QStringLiteral("暦"));
    table->setColumnCount(int(koyomi::monthColumns().size()));
    table->setHorizontalHeaderLabels(koyomi::monthColumns());
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    // The table's own Ctrl+C would copy one cell; here it copies the month.
    table->installEventFilter(this);

    auto *copy = new QPushButton(QStringLiteral("テキストとしてコピー(&C)"), this);
    copy->setObjectName(QStringLiteral("koyomiCopy"));
    copy->setToolTip(
            QStringLiteral("表をタブ区切りのテキストとしてクリップボードに置く（Ctrl+C）"));
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, &KoyomiWindow::copyAsText);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("koyomiClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto *shortcut = new QShortcut(QKeySequence::Copy, this);
    connect(shortcut, &QShortcut::activated, this, &KoyomiWindow::copyAsText);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addLayout(buttons);
    resize(620, 560);
}

void KoyomiWindow::showMonth(int year, int month, const kyotu1::HolidayTable &holidays)
{
    setWindowTitle(QStringLiteral("暦 ") + rekovabas::monthCaption(year, month));
    const std::vector<QStringList> rows = koyomi::monthRows(year, month, holidays);
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < int(rows[std::size_t(r)].size()); ++c)
            table->setItem(r, c, new QTableWidgetItem(rows[std::size_t(r)][c]));
    }
    table->resizeColumnsToContents();
    text = koyomi::asTabSeparatedText(rows);
}

void KoyomiWindow::copyAsText()
{
    QGuiApplication::clipboard()->setText(text);
}

bool KoyomiWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == table
        && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        if (event->type() == QEvent::KeyPress)
            copyAsText();
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
