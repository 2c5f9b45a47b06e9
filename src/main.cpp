#include "mainwindow/uifont.h"
#include "mainwindow/wincal.h"
#include "platform/desktop.h"
#include "platform/qtplatform.h"
#include "platform/session.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const bool platformChosen = session::choosePlatform(argc, argv);
    QApplication app(argc, argv);
    if (platformChosen)
        session::forgetChoice();
    QApplication::setWindowIcon(desktop::applicationIcon());
    // Lets task bars match the window to the installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.rekova"));
    desktop::installJapaneseTranslations(app);
    QApplication::setFont(uifont::japaneseFont());

    QtPlatform platform;
    wincal window(platform);
    window.setWindowIcon(desktop::applicationIcon());
    platform.setDialogParent(&window);
    window.Form_Load();
    window.show();
    return app.exec();
}
