#include "about/frmabt.h"
#include "common/kyotu1.h"
#include "desktop/desktop.h"
#include "fakeplatform.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

// The about window, the application icon and Qt's Japanese texts.
class tst_frmabt : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void translatorGivesJapaneseButtons();
    void iconHasEverySizeInVgaColours();
    void iconIsDrawnForTheScreenScale();

    void window();
    void controls_data();
    void controls();
    void etchedRule();
    void addressesFitTheirBox();
    void focusOrder();
    void secondShowOnlyRaises();
    void closing_data();
    void closing();
    void homePage_data();
    void homePage();
    void outlivesTheMainWindow();
};

static QWidget *child(QWidget *window, const char *name)
{
    return window->findChild<QWidget *>(QLatin1String(name));
}

void tst_frmabt::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmabt *>(w))
            delete w;
    }
}

void tst_frmabt::translatorGivesJapaneseButtons()
{
    QVERIFY(desktop::installJapaneseTranslations(*qApp));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("インターネット接続"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
}

void tst_frmabt::iconHasEverySizeInVgaColours()
{
    // The 16 colours of the standard VGA palette.
    const QList<QRgb> vga {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                           0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                           0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    const QIcon icon = desktop::applicationIcon();
    for (int size : {16, 32, 48, 64, 128}) {
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        QSet<QRgb> used;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    continue;
                QCOMPARE(qAlpha(pixel), 255);
                QVERIFY2(vga.contains(pixel & 0xFFFFFF), qPrintable(QString::number(pixel, 16)));
                used.insert(pixel);
            }
        }
        QVERIFY(used.size() >= 4);
    }
}

void tst_frmabt::iconIsDrawnForTheScreenScale()
{
    // CTest runs this once more at QT_SCALE_FACTOR=2, where the 64 pixel drawing must be shown
    // rather than the 32 pixel one enlarged.
    const qreal scale = qApp->devicePixelRatio();
    const int pixels = qRound(32 * scale);
    const QString drawn = pixels == 32 ? QStringLiteral(":/icons/rekova-32.xpm")
                                       : QStringLiteral(":/icons/rekova-%1.png").arg(pixels);
    FakePlatform platform;
    frmabt *dialog = frmabt::showInstance(platform);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    const QPixmap shown = qobject_cast<QLabel *>(child(dialog, "picIcon"))->pixmap();
    QImage expected = QImage(drawn).convertToFormat(QImage::Format_ARGB32);
    expected.setDevicePixelRatio(scale);
    QCOMPARE(shown.deviceIndependentSize(), QSizeF(32, 32));
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32), expected);
}

void tst_frmabt::window()
{
    FakePlatform platform;
    frmabt *dialog = frmabt::showInstance(platform);
    QCOMPARE(frmabt::instance(), dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY(!dialog->parentWidget());
    QVERIFY(!dialog->isModal());
    // A window of its own: a dialog would be kept above the main window by the window manager.
    QCOMPARE(dialog->windowType(), Qt::Window);
    QVERIFY(dialog->testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(dialog->size(), QSize(384, 210));
    QCOMPARE(dialog->minimumSize(), QSize(384, 210));
    QCOMPARE(dialog->maximumSize(), QSize(384, 210));
    const Qt::WindowFlags flags = dialog->windowFlags();
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!dialog->windowIcon().isNull());
}

void tst_frmabt::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");

    const QString mincho = QStringLiteral("ＭＳ 明朝");
    const QString gothic = QStringLiteral("ＭＳ Ｐゴシック");
    const QString addresses = QStringLiteral("ホームページ：\n") + kyotu1::homePageUrl()
            + QStringLiteral("\nEメール：\n") + kyotu1::authorEmail();
    // Pixels are the twips of the layout divided by 15.
    // clang-format off
    QTest::newRow("picIcon")        << "picIcon"        << QRect(16, 16, 34, 34)   << QString() << QString() << 0.0;
    QTest::newRow("lblTitle")       << "lblTitle"       << QRect(64, 8, 307, 23)   << "暦丸カレンダー" << mincho << 12.0;
    QTest::newRow("exename")        << "exename"        << QRect(64, 32, 305, 17)  << "(REKOVA.exe)" << mincho << 9.75;
    QTest::newRow("lblVersion")     << "lblVersion"     << QRect(64, 64, 307, 15)  << "Ver 1.11 (2000/12/17) GCC" << mincho << 9.75;
    QTest::newRow("Command1")       << "Command1"       << QRect(8, 72, 49, 25)    << "作者HP" << gothic << 8.25;
    QTest::newRow("lblDescription") << "lblDescription" << QRect(64, 80, 307, 46)  << "スケジュールも入れられる万年カレンダーです。" << mincho << 9.75;
    QTest::newRow("cmdOK")          << "cmdOK"          << QRect(8, 104, 47, 23)   << "OK" << QString() << 0.0;
    QTest::newRow("Line1_0 white")  << "Line1_0"        << QRect(8, 136, 370, 2)   << QString() << QString() << 0.0;
    QTest::newRow("Line1_1 grey")   << "Line1_1"        << QRect(8, 136, 371, 1)   << QString() << QString() << 0.0;
    QTest::newRow("Text1")          << "Text1"          << QRect(8, 144, 369, 57)  << addresses << mincho << 9.75;
    // clang-format on
}

void tst_frmabt::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(double, points);

    FakePlatform platform;
    frmabt *dialog = frmabt::showInstance(platform);
    QWidget *widget = child(dialog, qPrintable(name));
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    if (!text.isNull()) {
        // The address box receives CR LF line breaks and shows them as plain line breaks.
        const char *property = qobject_cast<QTextEdit *>(widget) ? "plainText" : "text";
        QCOMPARE(widget->property(property).toString(), text);
    }
    if (!family.isNull()) {
        QCOMPARE(widget->font().families().value(0), family);
        QVERIFY(widget->font().families().size() > 1);
        QCOMPARE(widget->font().pointSizeF(), points);
    }
}

void tst_frmabt::etchedRule()
{
    FakePlatform platform;
    frmabt *dialog = frmabt::showInstance(platform);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    const QImage image = dialog->grab().toImage();
    QCOMPARE(image.pixelColor(200, 136), QColor(128, 128, 128));
    QCOMPARE(image.pixelColor(200, 137), QColor(Qt::white));
    auto *icon = qobject_cast<QLabel *>(child(dialog, "picIcon"));
    QCOMPARE(icon->pixmap().size(), QSize(32, 32));
}

void tst_frmabt::addressesFitTheirBox()
{
    FakePlatform platform;
    frmabt *dialog = frmabt::showInstance(platform);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    auto *addresses = qobject_cast<QTextEdit *>(child(dialog, "Text1"));
    QVERIFY(addresses);
    // All four lines show at once: nothing to scroll to.
    QCOMPARE(addresses->verticalScrollBar()->maximum(), 0);
    QVERIFY(!addresses->verticalScrollBar()->isVisible());
}

void tst_frmabt::focusOrder()
{
    FakePlatform platform;
    frmabt *dialog = frmabt::showInstance(platform);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QStringList order {QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"cmdOK", "picIcon", "Text1", "Command1", "cmdOK"}));
}

void tst_frmabt::secondShowOnlyRaises()
{
    FakePlatform platform;
    frmabt *first = frmabt::showInstance(platform);
    auto *title = qobject_cast<QLabel *>(child(first, "lblTitle"));
    title->setText(QStringLiteral("changed"));
    QCOMPARE(frmabt::showInstance(platform), first);
    QCOMPARE(title->text(), QStringLiteral("changed"));
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        count += qobject_cast<frmabt *>(w) ? 1 : 0;
    QCOMPARE(count, 1);
}

void tst_frmabt::closing_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("key"); // 0: a mouse click on the target, or close() on the window

    QTest::newRow("cmdOK click") << "cmdOK" << 0;
    QTest::newRow("close box") << "frmabt" << 0;
    QTest::newRow("Enter on picIcon") << "picIcon" << int(Qt::Key_Return);
    QTest::newRow("keypad Enter on picIcon") << "picIcon" << int(Qt::Key_Enter);
    QTest::newRow("Enter on cmdOK") << "cmdOK" << int(Qt::Key_Return);
    QTest::newRow("Esc on picIcon") << "picIcon" << int(Qt::Key_Escape);
    QTest::newRow("Esc in Text1") << "Text1" << int(Qt::Key_Escape);
    QTest::newRow("Enter in Text1") << "Text1" << int(Qt::Key_Return);
}

void tst_frmabt::closing()
{
    QFETCH(QString, target);
    QFETCH(int, key);

    FakePlatform platform;
    QPointer<frmabt> dialog = frmabt::showInstance(platform);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QLabel *title = qobject_cast<QLabel *>(child(dialog, "lblTitle"));
    title->setText(QStringLiteral("changed"));
    QWidget *widget = target == "frmabt" ? dialog.data() : child(dialog, qPrintable(target));
    if (key != 0) {
        // Away from cmdOK, only the default button answers Enter.
        widget->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), widget);
        QTest::keyClick(widget, Qt::Key(key));
    } else if (widget == dialog)
        dialog->close();
    else
        QTest::mouseClick(widget, Qt::LeftButton);

    QVERIFY(!frmabt::instance());
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(platform.shown.isEmpty());

    // The next show loads a new window.
    frmabt *again = frmabt::showInstance(platform);
    title = qobject_cast<QLabel *>(child(again, "lblTitle"));
    QCOMPARE(title->text(), QStringLiteral("暦丸カレンダー"));
}

void tst_frmabt::homePage_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("callCount");

    QTest::newRow("No opens nothing") << false << 1;
    QTest::newRow("Yes opens the page") << true << 2;
}

void tst_frmabt::homePage()
{
    QFETCH(bool, answer);
    QFETCH(int, callCount);

    FakePlatform platform;
    platform.yesNoAnswers.enqueue(answer);
    frmabt *dialog = frmabt::showInstance(platform);
    QTest::mouseClick(child(dialog, "Command1"), Qt::LeftButton);

    QCOMPARE(platform.shown.size(), callCount);
    QCOMPARE(platform.shown[0].kind, FakePlatform::Kind::Question);
    QCOMPARE(platform.shown[0].title, QStringLiteral("インターネット接続"));
    QCOMPARE(platform.shown[0].text, QStringLiteral("\nインターネットに接続していますか？\n"));
    if (answer) {
        QCOMPARE(platform.shown[1].kind, FakePlatform::Kind::OpenUrl);
        QCOMPARE(platform.shown[1].text, kyotu1::homePageUrl());
    }
    QCOMPARE(frmabt::instance(), dialog);
}

// Runs the event loop: closing the main window leaves the about window open, and the program
// ends only when the about window closes too.
void tst_frmabt::outlivesTheMainWindow()
{
    QVERIFY(QApplication::quitOnLastWindowClosed());
    FakePlatform platform;
    QMainWindow mainWindow;
    mainWindow.show();
    QPointer<frmabt> dialog = frmabt::showInstance(platform);

    QObject context; // ends the connections below with this test
    int lastClosed = 0;
    connect(qApp, &QGuiApplication::lastWindowClosed, &context, [&] { ++lastClosed; });
    bool aboutStayedOpen = false;
    QTimer::singleShot(0, &context, [&] {
        mainWindow.close();
        QTimer::singleShot(50, &context, [&] {
            aboutStayedOpen = dialog && dialog->isVisible() && lastClosed == 0;
            if (dialog)
                dialog->close();
        });
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, &context, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);

    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(aboutStayedOpen);
    QCOMPARE(lastClosed, 1);
}

QTEST_MAIN(tst_frmabt)
#include "tst_frmabt.moc"
