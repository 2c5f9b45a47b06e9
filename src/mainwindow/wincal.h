#pragma once

// The main window: the month grid on the left, the memo entry area on the right, and the menus.
// It is a dispatcher: what to show is decided by the calendar readers (calendar/rekovabas.h) and
// the schedule store (store/dirs.h); the handlers here apply their results to the controls and
// pass every message box, dialog, setting and clock read through the Platform.
//
// States: calendar (narrow, only the grid), entry (wide, memo box) and list (wide, the list of
// all memos in place of the memo box). resetView returns to the calendar state.

#include "caldav/syncengine.h"
#include "calendar/announced.h"
#include "calendar/earlystart.h"
#include "calendar/monthstep.h"
#include "calendar/monthview.h"
#include "calendar/rekovabas.h"
#include "calendar/schedulecache.h"
#include "common/kyotu1.h"
#include "flows/storeflows.h"
#include "history/undohistory.h"
#include "mainwindow/syncdialog.h"
#include "store/storeoptions.h"
#include "syncedfolder/conflictcopy.h"

#include <QDate>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QThread>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class DateWatcher;
class FileWatch;
class Platform;
class SyncScheduler;
class DayCellLabel;
class DayGrid;
class KoyomiWindow;
class MouseUpButton;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QShortcut;

class wincal : public QMainWindow
{
    Q_OBJECT

public:
    // `early` is the file read and 暦 begun before the window, if any; else the window begins them.
    explicit wincal(Platform &platform, QWidget *parent = nullptr,
                    std::unique_ptr<rekovabas::EarlyStart> early = {});
    ~wincal() override;

    // Start-up: initialisation, the current month, and the alarm notices, which come before
    // the caller shows the window.
    void Form_Load();

    // The procedures that the handlers share.
    void drawMonth(int year, int month);
    void resetView();
    void openDayEntry(int year, int month, int day);
    // The open day's 暦 beside its heading (wincalcontrols.cpp).
    void showKoyomiLine(QDate date);
    void showDayInfo(int year, int month, int day);
    void loadDayMemo();
    void listAll();
    // The list from the file's bytes, already read.
    void listAll(const QByteArray &bytes);
    // What a test may change about the store's steps (store/storeoptions.h); the program keeps
    // the defaults.
    void setStoreOptions(const StoreOptions &options)
    {
        storeOptions = options;
        storeOptions.stop = &stopRequested;
        storeOptions.recorded = [this](const StoreStep &step) { undoHistory.record(step); };
    }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void initApp(QDate date);
    void setWindowSize(int widthTwips, int heightTwips);
    void setEntryPaneReachable(bool reachable);
    rekovabas::Schedules readSchedules(std::optional<rekovabas::ScheduleCache::Read> early = {});
    void stepMonth(rekovabas::StepDirection direction, Qt::KeyboardModifiers modifiers);
    // The month drawn with marks already found (none: keep the marks it has) and a date already
    // taken from the clock: start-up and an add look at the file once.
    void drawMonth(int year, int month, const std::optional<rekovabas::MonthSchedules> &marks,
                   QDate date);
    // Shows the alarm notices found that were not shown before, one box after another, and
    // first through the desktop's notification service too when `alsoOnDesktop` (the first three,
    // and one that counts the rest).
    void alarmCheck(const rekovabas::AlarmNotices &notices, bool alsoOnDesktop = false);
    // Today became `today`: the month is drawn anew and the notices due since are shown.
    // Returns: false while a box or dialog waits for an answer, so that the handler that shows
    // it goes on with the month it drew; the change is taken at a later check.
    bool dateChanged(QDate before, QDate today);
    // The window is wide: in the entry or the list state.
    bool entryPaneOpen() const;
    // The open day's memo from a file already read.
    void showDayMemo(const rekovabas::Schedules &source);
    // The schedule file changed on disk: the marks are redrawn, and an open day whose box
    // was not edited is loaded again.
    void scheduleFileChanged();
    // Reads the file (when `readFile`) and looks for conflict copies on a thread of their own,
    // and then shows what was found; one look at a time.
    void lookAtTheFileInBackground(bool readFile);
    struct LookedAt
    {
        QString path;
        std::optional<rekovabas::ScheduleCache::Read> read;
        conflictcopy::Found copies;
    };
    void showChangedFile(const LookedAt &found);
    void reportUnreadable(const rekovabas::Schedules &source);
    bool dayBoxEdited() const;
    // Offers to merge each sync tool's conflict copy of the file not declined in this run.
    void offerConflictCopies();
    void offerConflictCopies(const conflictcopy::Found &found);
    // Runs `work` (an add, a merge, an import) on a thread of its own while the window
    // keeps answering and shows that it is busy.
    void runBusy(const std::function<void()> &work);

    // Event handlers.
    void Command1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void Command2_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Label2_MouseUp(int index, Qt::MouseButton button);
    void ske_Click();
    void ske2_Click();
    void skedels_Click();
    void hlptxt_Click();
    void sakusya_Click();
    void about_Click();
    void icsexp_Click();
    void icsimp_Click();
    void koyomi_Click();
    void koyomiexp_Click();
    void EXIT_Click();
    void autostart_Click(bool on);

    // One memo at a time (memocommands.cpp): delete, take back, search, open a line's day.
    void buildMemoCommands(QMenu *tool, QWidget *area);
    // Shows or hides the search field above the list, which then makes room for it.
    void placeListState(bool listState);
    void daydel_Click();
    void linedel_Click();
    void undo_Click();
    void find_Click();
    void filterList(const QString &typed);
    void openListLine(int row);
    // After an add or a delete: the month and an open list from the file's new bytes, which
    // the step has just written and read back.
    void showFileAfterStep(const QByteArray &bytes);
    // Deletes `records` off the window's thread and shows the file after it, or says why not.
    bool deleteRecords(const QStringList &records);

    // The calendar sync (wincalsync.cpp): its commands in the File menu, its start with the
    // window, and what the window tells of each run.
    void buildSyncCommands(QMenu *file);
    void startSync();
    void syncset_Click();
    void syncnow_Click();
    void syncFinished(const caldav::SyncResult &result);
    std::optional<caldav::SyncJob> syncJob();
    // A failure told once: the same one again is only shown in the status.
    void tellSyncFailure(const QString &text);
    // A certificate this machine does not trust: used from then on only when the user accepts
    // its fingerprint.
    void offerCertificate(const caldav::Error &error);

    // Members carry the names the program's procedures use, without a prefix.
    Platform &platform;

    // The shown month, and the day last opened in the entry area.
    int curYear = 0;
    int curMonth = 0;
    int curDay = 0;
    QString appName;

    DateWatcher *dateWatcher = nullptr;
    AnnouncedNotices announcedNotices;

    kyotu1::HolidayTable holidays;
    rekovabas::MonthSchedules monthSchedules;
    // The whole memo of the open day when the memo box shows only its beginning.
    std::optional<QString> memoShownInPart;
    FileWatch *fileWatch = nullptr;
    // The open day as its box was loaded: to tell an edited box from an untouched one, and
    // so that an add notices records of the date that arrived meanwhile.
    struct LoadedDay
    {
        QString key; // the date key, "" when no day was loaded
        QString text;
        bool alarm = true;
        std::optional<QStringList> records; // none when the file could not be read
    };
    LoadedDay loadedDay;
    flows::CopyOffers copyOffers;
    StoreOptions storeOptions;
    history::UndoHistory undoHistory;
    QAction *undoAction = nullptr;
    QAction *dayDeleteAction = nullptr;
    QAction *lineDeleteAction = nullptr;
    QLineEdit *findText = nullptr;
    QLabel *findCount = nullptr;
    // The list's lines as records, whole, and folded for searching (once a search needs them),
    // row by row.
    QStringList listedLines;
    QStringList listedRecords;
    QStringList listedFolded;
    // The 暦 window, once opened; it follows the month shown.
    QPointer<KoyomiWindow> koyomiWindow;
    // Beside the heading: the open day's 暦 in one line.
    QLabel *koyomiLine = nullptr;
    // Set by Esc while a long step runs (runBusy): the step stops and writes nothing.
    std::atomic_bool stopRequested = false;
    QShortcut *stopShortcut = nullptr;
    rekovabas::ScheduleCache scheduleCache;
    // The file read and the year's 暦 begun while the window is built; gone once drawn from.
    std::unique_ptr<rekovabas::EarlyStart> earlyStart;
    std::unique_ptr<QThread> looking; // the look of lookAtTheFileInBackground() under way
    // Asked for while one ran: looked at again once it has ended.
    bool lookAgain = false;
    bool lookAgainAtFile = false;
    bool adding = false; // an add runs on its own thread
    SyncScheduler *syncScheduler = nullptr;
    QLabel *syncStatus = nullptr; // beside the menus: running, or when the last run ended
    SyncSettings syncSettings;
    QString syncPassword; // for this run only, when no keyring holds it
    QString syncToldFailure;
    // The controls of the entry pane with the focus policy each has while it can be seen.
    std::vector<std::pair<QWidget *, Qt::FocusPolicy>> entryPane;

    QGroupBox *Frame1 = nullptr;                                // the month: "2000年12月" frame
    std::array<QLabel *, 7> Label1 {};                          // weekday headers 日 … 土
    std::array<DayCellLabel *, rekovabas::cellCount> Label2 {}; // the 37 day cells, 7 to a row
    DayGrid *dayGrid = nullptr;                                 // keyboard focus over Label2
    MouseUpButton *Command1 = nullptr;                          // 前月
    MouseUpButton *Command2 = nullptr;                          // 翌月
    QFrame *Picture1 = nullptr;                                 // the blue swatch, 青の色見本
    QFrame *Picture2 = nullptr;                                 // the red swatch, 赤の色見本
    QLabel *Label3 = nullptr;                                   // the open day's heading
    QLabel *Label4 = nullptr;                                   // the hint 知らせたい日に…
    QCheckBox *Check1 = nullptr;                                // ｱﾗｰﾑに追加
    QPlainTextEdit *Text2 = nullptr;                            // the memo box
    QListWidget *List1 = nullptr;                               // the list of all memos
    std::array<QCheckBox *, 5> repeatBoxes {}; // Check2 … Check6: １年後も … ５年後も
    QPushButton *Command3 = nullptr;           // 元に戻る
    QPushButton *Command4 = nullptr;           // スケジュールに追加
    QPushButton *Command5 = nullptr;           // 全ｽｹｼﾞｭｰﾙ表示
};
