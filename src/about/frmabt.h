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

    static QPointer<frmabt> s_instance;

    Platform &m_platform;
    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *exename = nullptr;
    QLabel *lblVersion = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *lblDescription = nullptr;
    QPushButton *cmdOK = nullptr;
    QTextEdit *Text1 = nullptr;
};
