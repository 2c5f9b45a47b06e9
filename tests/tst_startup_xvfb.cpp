// Starts the real program on an X server (run under xvfb-run with the xcb platform) and looks at
// what it puts on the screen: the main window titled 暦丸, Japanese text drawn with real glyphs,
// and the start-up alarm notice shown before the main window.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

namespace {

struct XWindow
{
    QString id;
    QRect geometry; // absolute, in pixels
    bool viewable = false;
};

// Runs an X tool and reads its output as UTF-8. xwininfo converts window names to the locale's
// character set, and without a UTF-8 locale prints a conversion failure in place of 暦丸; C.UTF-8
// is built into the C library, whatever locales the system has.
QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(5000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The top-level windows titled `title`, with their place and map state.
QList<XWindow> windowsTitled(const QString &title)
{
    QList<XWindow> found;
    static const QRegularExpression line(
            QStringLiteral("^\\s*(0x[0-9a-f]+) \"(.*)\":.*\\s(\\d+)x(\\d+)[-+]-?\\d+[-+]-?\\d+"
                           "\\s+\\+(-?\\d+)\\+(-?\\d+)\\s*$"));
    const QStringList lines
            = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
                      .split(u'\n');
    for (const QString &text : lines) {
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch() || m.captured(2) != title)
            continue;
        XWindow window;
        window.id = m.captured(1);
        window.geometry = QRect(m.captured(5).toInt(), m.captured(6).toInt(), m.captured(3).toInt(),
                                m.captured(4).toInt());
        window.viewable = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window.id})
                                  .contains(QLatin1String("Map State: IsViewable"));
        found.append(window);
    }
    return found;
}

// The main window in the calendar state: 129 pixels wide, 180 high below its menu bar.
bool isMainWindow(const XWindow &window)
{
    return window.geometry.width() == 129 && window.geometry.height() > 180;
}

// Waits for a viewable window titled 暦丸 that satisfies `wanted`.
std::optional<XWindow> waitForWindow(const std::function<bool(const XWindow &)> &wanted)
{
    for (int i = 0; i < 150; ++i) {
        for (const XWindow &window : windowsTitled(QStringLiteral("暦丸"))) {
            if (window.viewable && wanted(window))
                return window;
        }
        QTest::qWait(100);
    }
    return std::nullopt;
}

// The dark pixels of a 15×15 square: the strokes of a glyph.
QList<QPoint> ink(const QImage &image, QPoint topLeft)
{
    QList<QPoint> dark;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 15; ++x) {
            if (qGray(image.pixel(topLeft + QPoint(x, y))) < 128)
                dark.append(QPoint(x, y));
        }
    }
    return dark;
}

} // namespace

class tst_startup_xvfb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void showsTheCalendarInJapanese();
    void alarmNoticeComesBeforeTheWindow();

private:
    void startProgram();

    QString m_program;
    std::unique_ptr<QTemporaryDir> m_home;
    QProcess m_process;
};

void tst_startup_xvfb::initTestCase()
{
    m_program = qEnvironmentVariable("REKOVA_EXE");
    QVERIFY2(QFile::exists(m_program), "REKOVA_EXE must name the program");
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

void tst_startup_xvfb::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
}

void tst_startup_xvfb::cleanup()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

void tst_startup_xvfb::startProgram()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home->path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(m_program, {});
    QVERIFY(m_process.waitForStarted(5000));
}

void tst_startup_xvfb::showsTheCalendarInJapanese()
{
    startProgram();
    const std::optional<XWindow> window = waitForWindow(isMainWindow);
    QVERIFY2(window, "no main window titled 暦丸 appeared");
    QTest::qWait(500); // let it paint

    const QImage shot = QGuiApplication::primaryScreen()
                                ->grabWindow(0, window->geometry.x(), window->geometry.y(),
                                             window->geometry.width(), window->geometry.height())
                                .toImage();
    QVERIFY(!shot.isNull());

    // The Sunday header is the first light-red pixel from the top; the headers follow it
    // 16 pixels apart, each 15 pixels square inside its border.
    std::optional<QPoint> sunday;
    for (int y = 0; y < shot.height() && !sunday; ++y) {
        for (int x = 0; x < shot.width() && !sunday; ++x) {
            if (shot.pixelColor(x, y) == QColor(255, 192, 192))
                sunday = QPoint(x, y);
        }
    }
    QVERIFY2(sunday, "no Sunday header on screen");
    QList<QList<QPoint>> glyphs;
    for (int i = 0; i < 7; ++i) {
        glyphs.append(ink(shot, *sunday + QPoint(16 * i, 0)));
        QVERIFY2(glyphs.last().size() > 5, qPrintable(QStringLiteral("header %1 is blank").arg(i)));
    }
    // An empty-box glyph would look the same for every weekday.
    for (int i = 0; i < 7; ++i) {
        for (int j = i + 1; j < 7; ++j)
            QVERIFY2(glyphs[i] != glyphs[j],
                     qPrintable(QStringLiteral("headers %1 and %2 look alike").arg(i).arg(j)));
    }

    QTest::qWait(500);
    QCOMPARE(m_process.state(), QProcess::Running);
}

void tst_startup_xvfb::alarmNoticeComesBeforeTheWindow()
{
    const QString schedules = m_home->filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt"));
    QFile file(schedules);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"199901011old\"\r\n");
    file.close();
    QVERIFY(QDir(m_home->path()).mkpath(QStringLiteral(".config/rekova")));
    QFile settings(m_home->filePath(QStringLiteral(".config/rekova/rekova.conf")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[startup]\nfirstdir=" + schedules.toUtf8() + "\n");
    settings.close();

    startProgram();
    const std::optional<XWindow> notice
            = waitForWindow([](const XWindow &w) { return !isMainWindow(w); });
    QVERIFY2(notice, "no alarm notice titled 暦丸 appeared");
    QTest::qWait(1000);
    for (const XWindow &window : windowsTitled(QStringLiteral("暦丸")))
        QVERIFY2(!(window.viewable && isMainWindow(window)),
                 "the main window showed while the notice was open");
    QCOMPARE(m_process.state(), QProcess::Running);
}

QTEST_MAIN(tst_startup_xvfb)
#include "tst_startup_xvfb.moc"
