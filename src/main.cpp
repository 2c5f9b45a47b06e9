#include "calendar/earlystart.h"
#include "common/messages.h"
#include "desktop/application.h"
#include "desktop/desktop.h"
#include "desktop/qtplatform.h"
#include "mainwindow/uifont.h"
#include "mainwindow/wincal.h"
#include "session/commandline.h"
#include "session/session.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    // Answered before QApplication, which aborts the program when it finds no display.
    if (const std::optional<QString> text = commandline::ownOptionText(argc, argv)) {
        const QByteArray bytes = text->toUtf8();
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!session::displayGiven(session::currentEnvironment(), argc, argv)) {
        const QByteArray bytes = messages::noDisplay().toUtf8();
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
        return 1;
    }
    const bool platformChosen = session::choosePlatform(argc, argv);
    Application app(argc, argv);
    if (platformChosen)
        session::forgetChoice();
    QApplication::setWindowIcon(desktop::applicationIcon());
    // Lets task bars match the window to the installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.rekova"));
    desktop::installJapaneseTranslations(app);
    QtPlatform platform;
    // The file is read while the faces are fitted and the window is built.
    std::unique_ptr<rekovabas::EarlyStart> early = rekovabas::beginEarly(platform);
    QApplication::setFont(uifont::japaneseFont());

    wincal window(platform, nullptr, std::move(early));
    window.setWindowIcon(desktop::applicationIcon());
    platform.setDialogParent(&window);
    app.setPlatform(&platform);
    app.guarded([&window] { window.Form_Load(); });
    window.show();
    return app.exec();
}
