#pragma once

// The about window: title, program file name, version and description, the author's addresses
// and a button that opens the home page. Modeless and without an owner, so that it outlives the
// main window; at most one exists, and closing it discards it.

#include <QDialog>
#include <QPointer>

class Platform;
class QLabel;
class QTextEdit;
class QPushButton;

class frmabt : public QDialog
{
    Q_OBJECT

public:
    // Shows the about window: creates and loads it when none is open, else only brings the open
    // one to the front (its texts are not set again). `platform` must outlive the window.
    // Returns: the window shown.
    static frmabt *showInstance(Platform &platform);

    // The window now open, or nullptr.
    static frmabt *instance();

private:
    explicit frmabt(Platform &platform);

    void buildControls();
    void Form_Load();
    void fitCaptions();
    void cmdOK_Click();
    void Command1_Click();

    bool eventFilter(QObject *watched, QEvent *event) override;

    static QPointer<frmabt> openWindow; // the one window, while it exists

    // Members carry the names the window's procedures use, without a prefix, as in the main window.
    Platform &platform;
    QLabel *picIcon = nullptr;        // the program's icon
    QLabel *lblTitle = nullptr;       // 暦丸カレンダー
    QLabel *exename = nullptr;        // the program file's name
    QLabel *lblVersion = nullptr;     // the version line
    QPushButton *Command1 = nullptr;  // 作者HP: opens the home page (not 前月 as in wincal)
    QLabel *lblDescription = nullptr; // what the program is
    QPushButton *cmdOK = nullptr;     // OK: closes the window
    QTextEdit *Text1 = nullptr;       // the author's addresses
};
