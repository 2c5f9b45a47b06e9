// The main window's commands on one memo at a time: delete the open day's memos or the lines
// picked out in the list of all memos, take the window's steps back, search the list and open
// a line's day. The store does the work (store/deletion.h, history/undohistory.h,
// common/textfold.h); this only wires the widgets to it.

#include "mainwindow/wincal.h"

#include "caldav/syncscheduler.h"

#include "common/kyotu1.h"
#include "common/messages.h"
#include "common/textfold.h"
#include "flows/outcome.h"
#include "mainwindow/layout.h"
#include "platform/platform.h"
#include "store/deletion.h"
#include "store/dirs.h"
#include "store/record.h"
#include "syncedfolder/filewatch.h"
#include "widgets/mouseup.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QString firstLineOf(QStringView memo)
{
    const qsizetype end = memo.indexOf(u'\r');
    const qsizetype lf = memo.indexOf(u'\n');
    const qsizetype cut = end < 0 ? lf : lf < 0 ? end : qMin(end, lf);
    return (cut < 0 ? memo : memo.first(cut)).toString();
}

} // namespace

void wincal::buildMemoCommands(QMenu *tool, QWidget *area)
{
    const auto addItem = [&](const char *name, const QString &caption, const QKeySequence &keys,
                             void (wincal::*handler)()) {
        QAction *action = tool->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    tool->addSeparator();
    undoAction = addItem("undo", QStringLiteral("元に戻す(&U)"), QKeySequence::Undo,
                         &wincal::undo_Click);
    dayDeleteAction = addItem("daydel", messages::deleteMenuText(),
                              QKeySequence(Qt::CTRL | Qt::Key_D), &wincal::daydel_Click);
    lineDeleteAction = addItem("linedel", messages::deleteLinesText(), QKeySequence(Qt::Key_Delete),
                               &wincal::linedel_Click);
    // Del belongs to the memo box and the search field; in the list it deletes lines.
    lineDeleteAction->setShortcutContext(Qt::WidgetShortcut);
    List1->addAction(lineDeleteAction);
    addItem("find", QStringLiteral("メモを検索(&F)"), QKeySequence(Qt::CTRL | Qt::Key_F),
            &wincal::find_Click);

    Command1->setToolTip(QStringLiteral("前の月（Shift を押しながらで前の年）"));
    Command2->setToolTip(QStringLiteral("次の月（Shift を押しながらで次の年）"));
    Command3->setToolTip(QStringLiteral("カレンダーだけの表示に戻る"));
    Command4->setToolTip(QStringLiteral("この日のメモとして書き込む"));
    Command5->setToolTip(QStringLiteral("すべてのメモを一覧にする（Ctrl+F で検索）"));
    Picture1->setToolTip(QStringLiteral("色見本（押しても何も起きません）"));
    Picture2->setToolTip(QStringLiteral("色見本（押しても何も起きません）"));

    // The memo box's own menu offers the delete of its day.
    Text2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Text2, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu *menu = Text2->createStandardContextMenu(at);
        menu->addSeparator();
        menu->addAction(dayDeleteAction);
        menu->exec(Text2->mapToGlobal(at));
        delete menu;
    });
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List1->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(List1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { openListLine(List1->row(item)); });

    findText = new QLineEdit(area);
    findText->setObjectName(QStringLiteral("findText"));
    findText->setAccessibleName(QStringLiteral("メモの検索"));
    findText->setPlaceholderText(QStringLiteral("検索（かな・カナ・日付 2026/12）"));
    findText->setClearButtonEnabled(true);
    findText->hide();
    connect(findText, &QLineEdit::textChanged, this, &wincal::filterList);
    // Return in the field opens the first line found.
    connect(findText, &QLineEdit::returnPressed, this, [this] {
        for (int row = 0; row < List1->count(); ++row) {
            if (!List1->isRowHidden(row)) {
                openListLine(row);
                return;
            }
        }
    });
    findCount = new QLabel(area);
    findCount->setObjectName(QStringLiteral("findCount"));
    findCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    findCount->hide();
}

void wincal::placeListState(bool listState)
{
    findText->setVisible(listState);
    findCount->setVisible(listState);
    // The hint and the alarm box are for typing a memo; the search field takes their row.
    Label4->setVisible(!listState);
    Check1->setVisible(!listState);
    if (!listState)
        return;
    const int left = List1->x();
    const int top = layout::toPixels(layout::Label3.top + layout::Label3.height);
    const int height = List1->y() - top - 1;
    const int width = layout::toPixels(layout::listStateWidth);
    const int countWidth
            = findCount->fontMetrics().horizontalAdvance(QStringLiteral("99999 件 ")) + 4;
    findText->setGeometry(left, top, width - countWidth, height);
    findCount->setGeometry(left + width - countWidth, top, countWidth, height);
    List1->resize(width, layout::toPixels(layout::listStateHeight));
}

void wincal::filterList(const QString &typed)
{
    const QStringList terms = textfold::searchTerms(typed);
    if (!terms.isEmpty() && listedFolded.size() != listedLines.size()) {
        listedFolded.clear();
        listedFolded.reserve(listedLines.size());
        for (const QString &line : std::as_const(listedLines))
            listedFolded.append(textfold::fold(line));
    }
    int shown = 0;
    List1->setUpdatesEnabled(false);
    for (int row = 0; row < List1->count(); ++row) {
        const bool match = terms.isEmpty()
                || (row < listedFolded.size() && textfold::matches(listedFolded[row], terms));
        List1->setRowHidden(row, !match);
        shown += match ? 1 : 0;
    }
    List1->setUpdatesEnabled(true);
    findCount->setText(terms.isEmpty()      ? QString()
                               : shown == 0 ? QStringLiteral("該当なし")
                                            : QStringLiteral("%1 件").arg(shown));
}

void wincal::openListLine(int row)
{
    if (row < 0 || row >= listedRecords.size())
        return;
    const QString &line = listedRecords[row];
    const QDate date(line.first(4).toInt(), line.sliced(4, 2).toInt(), line.sliced(6, 2).toInt());
    // A hand edit's date that the calendar cannot show has no day to open.
    if (!date.isValid() || !kyotu1::isSupportedYear(date.year()))
        return;
    curYear = date.year();
    curMonth = date.month();
    resetView();
    drawMonth(curYear, curMonth);
    openDayEntry(curYear, curMonth, date.day());
    Text2->setFocus(Qt::OtherFocusReason);
}

void wincal::showFileAfterStep(const QByteArray &bytes)
{
    if (QFileInfo(dirs::schedulePath(platform)).size() == bytes.size())
        fileWatch->seenAsItIs();
    drawMonth(curYear, curMonth, rekovabas::loadMonthSchedules(bytes, curYear, curMonth),
              platform.today());
    if (!List1->isHidden())
        listAll(bytes);
    if (syncScheduler)
        syncScheduler->syncSoon();
}

bool wincal::deleteRecords(const QStringList &records)
{
    deletion::Result result;
    const QString path = dirs::schedulePath(platform);
    runBusy([&] { result = deletion::deleteRecords(path, records, storeOptions); });
    if (result.status != deletion::Status::Deleted) {
        platform.showMessage(outcome::ofDelete(result, path), messages::applicationTitle());
        return false;
    }
    showFileAfterStep(result.written);
    return true;
}

void wincal::daydel_Click()
{
    const QString key = record::dateKey(curYear, curMonth, curDay);
    const bool dayOpen = entryPaneOpen() && List1->isHidden() && loadedDay.key == key;
    if (!dayOpen || !loadedDay.records || loadedDay.records->isEmpty()) {
        platform.showMessage(messages::deleteNothingOpen(), messages::deleteTitle());
        return;
    }
    const QStringList records = *loadedDay.records;
    if (!platform.askYesNo(
                messages::deleteDayQuestion(messages::dateOfKey(key),
                                            firstLineOf(record::memoOf(records.first()))),
                messages::deleteTitle()))
        return;
    if (!deleteRecords(records))
        return;
    // The box belongs to the day deleted, unless another day was opened meanwhile.
    if (loadedDay.key == key) {
        memoShownInPart.reset();
        Text2->setReadOnly(false);
        Text2->clear();
        Check1->setChecked(true);
        loadedDay = {key, QString(), true, QStringList()};
    }
}

void wincal::linedel_Click()
{
    QList<int> rows;
    for (const QListWidgetItem *item : List1->selectedItems()) {
        if (!item->isHidden())
            rows.append(List1->row(item));
    }
    std::sort(rows.begin(), rows.end());
    if (List1->isHidden() || rows.isEmpty()) {
        platform.showMessage(messages::deleteNothingPicked(), messages::deleteTitle());
        return;
    }
    QStringList records;
    QStringList lines;
    for (const int row : std::as_const(rows)) {
        if (row >= listedRecords.size())
            return;
        records.append(listedRecords[row]);
        lines.append(List1->item(row)->text());
    }
    if (platform.askYesNo(messages::deleteLinesQuestion(lines), messages::deleteTitle()))
        deleteRecords(records);
}

void wincal::undo_Click()
{
    history::UndoResult result;
    runBusy([&] { result = undoHistory.undo(storeOptions); });
    platform.showMessage(outcome::ofUndo(result), messages::applicationTitle());
    if (result.status != history::Status::Undone)
        return;
    drawMonth(curYear, curMonth);
    const bool dayOpen = entryPaneOpen() && List1->isHidden()
            && loadedDay.key == record::dateKey(curYear, curMonth, curDay);
    if (dayOpen && !dayBoxEdited()) {
        memoShownInPart.reset();
        Text2->setReadOnly(false);
        Text2->clear();
        loadDayMemo();
    }
    if (!List1->isHidden())
        listAll();
}

void wincal::find_Click()
{
    if (!entryPaneOpen())
        openDayEntry(curYear, curMonth, curDay > 0 ? curDay : 1);
    if (List1->isHidden())
        Command5_Click();
    findText->setFocus(Qt::ShortcutFocusReason);
    findText->selectAll();
}
