#include "calendar/monthstep.h"
#include "calendar/monthview.h"
#include "calendar/rekovabas.h"
#include "common/kyotu1.h"
#include "fakeplatform.h"
#include "store/cp932.h"
#include "store/fieldreader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <sys/stat.h>

using namespace std::chrono;
using ReadStatus = schedulefile::Status;

Q_DECLARE_METATYPE(schedulefile::Status)

// Every notice's text, in order.
static QStringList texts(const rekovabas::AlarmNotices &notices)
{
    QStringList all;
    for (qsizetype i = 0; i < notices.size(); ++i)
        all.append(notices.text(i));
    return all;
}

class tst_rekovabas : public QObject
{
    Q_OBJECT

private slots:
    void composeMonth_data();
    void composeMonth();
    void everyMonthStartsInTheColumnOfItsFirstDay();
    void hasSchedule_data();
    void hasSchedule();
    void stepMonth_data();
    void stepMonth();

    void loaders_data();
    void loaders();
    void readersWithoutAFile_data();
    void readersWithoutAFile();
    void bytesReadBackAsEveryField();

    void listAndAlarm_data();
    void listAndAlarm();
};

// One letter per day of the month: W white, H holiday colour, T today, M memo.
static quint32 colourOfLetter(QChar letter)
{
    switch (letter.unicode()) {
    case u'H':
        return 0xC0C0FF;
    case u'T':
        return 0xFFFF00;
    case u'M':
        return 0x80FF80;
    default:
        return 0xFFFFFF;
    }
}

void tst_rekovabas::composeMonth_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<int>("firstCell");
    QTest::addColumn<QString>("colours");
    QTest::addColumn<QString>("caption");

    const QDate elsewhere(2000, 12, 17);
    // Colours worked out from a printed calendar: Sundays, the holidays of each year, and the
    // substitute and in-between days.
    // clang-format off
    QTest::newRow("2000-01 starts on Saturday, cells 6 to 36")
            << 2000 << 1 << elsewhere << QStringList {} << 6
            << "HHWWWWWWHHWWWWWHWWWWWWHWWWWWWHW" << "2000年 1月";
    QTest::newRow("2000-02 leap year, 29 days")
            << 2000 << 2 << elsewhere << QStringList {} << 2
            << "WWWWWHWWWWHWHWWWWWWHWWWWWWHWW" << "2000年 2月";
    QTest::newRow("2001-02 28 days, 11th Sunday holiday, 12th substitute")
            << 2001 << 2 << elsewhere << QStringList {} << 4
            << "WWWHWWWWWWHHWWWWWHWWWWWWHWWW" << "2001年 2月";
    QTest::newRow("2001-04 starts on Sunday, 30th substitute")
            << 2001 << 4 << elsewhere << QStringList {} << 0
            << "HWWWWWWHWWWWWWHWWWWWWHWWWWWWHH" << "2001年 4月";
    QTest::newRow("2001-11 Saturday holiday, Monday 5th white")
            << 2001 << 11 << elsewhere << QStringList {} << 4
            << "WWHHWWWWWWHWWWWWWHWWWWHWHWWWWW" << "2001年 11月";
    QTest::newRow("2001-05 today over holiday and memo, memo over holiday and Sunday")
            << 2001 << 5 << QDate(2001, 5, 3)
            << QStringList {"200105031a", "200105040b", "20010506", "200105151d", "200104151x"}
            << 2 << "WWTMHMWWWWWWHWMWWWWHWWWWWWHWWWW" << "2001年 5月";
    QTest::newRow("2000-12 today on a Sunday, Monday after a Saturday holiday white")
            << 2000 << 12 << elsewhere << QStringList {} << 5
            << "WWHWWWWWWHWWWWWWTWWWWWHHWWWWWWH" << "2000年 12月";
    QTest::newRow("1980-01 first month")
            << 1980 << 1 << elsewhere << QStringList {} << 2
            << "HWWWWHWWWWWWHWHWWWWHWWWWWWHWWWW" << "1980年 1月";
    QTest::newRow("2069-12 last month")
            << 2069 << 12 << elsewhere << QStringList {} << 0
            << "HWWWWWWHWWWWWWHWWWWWWHWWWWWWHWW" << "2069年 12月";
    QTest::newRow("2019-04 30th between 昭和の日 and 1 May")
            << 2019 << 4 << elsewhere << QStringList {} << 1
            << "WWWWWWHWWWWWWHWWWWWWHWWWWWWHHH" << "2019年 4月";
    QTest::newRow("today in another year is not marked")
            << 2001 << 12 << QDate(2000, 12, 17) << QStringList {} << 6
            << "WHWWWWWWHWWWWWWHWWWWWWHHWWWWWHW" << "2001年 12月";
    // clang-format on
}

void tst_rekovabas::composeMonth()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QDate, today);
    QFETCH(QStringList, records);
    QFETCH(int, firstCell);
    QFETCH(QString, colours);
    QFETCH(QString, caption);

    kyotu1::HolidayTable holidays;
    QCOMPARE(kyotu1::buildHolidays(holidays, year), 0);
    const QString text = QLatin1Char('"') + records.join(QStringLiteral("\"\r\n\""))
            + QStringLiteral("\"\r\n");
    const rekovabas::MonthSchedules schedules = rekovabas::loadMonthSchedules(
            cp932::encode(records.isEmpty() ? QString() : text).bytes, year, month);

    const rekovabas::MonthView view = rekovabas::composeMonth(
            year, month, holidays, rekovabas::todayFrom(today), schedules);
    QCOMPARE(view.caption, caption);
    for (int k = 0; k < rekovabas::cellCount; ++k) {
        const rekovabas::DayCell &cell = view.cells[std::size_t(k)];
        const int day = k - firstCell + 1;
        const QByteArray where = QByteArray::number(k);
        if (day < 1 || day > colours.size()) {
            QVERIFY2(!cell.visible, where);
            QVERIFY2(cell.caption.isEmpty(), where);
            QVERIFY2(cell.colour == 0xFFFFFF, where);
            continue;
        }
        QVERIFY2(cell.visible, where);
        QCOMPARE(cell.caption, QStringLiteral("%1").arg(day, 2));
        if (cell.colour != colourOfLetter(colours[day - 1]))
            QFAIL(qPrintable(QStringLiteral("day %1: %2").arg(day).arg(cell.colour, 6, 16)));
    }
}

void tst_rekovabas::everyMonthStartsInTheColumnOfItsFirstDay()
{
    kyotu1::HolidayTable holidays;
    const rekovabas::Today today = rekovabas::todayFrom(QDate(2000, 12, 17));
    for (int y = 1980; y <= 2069; ++y) {
        QCOMPARE(kyotu1::buildHolidays(holidays, y), 0);
        for (unsigned m = 1; m <= 12; ++m) {
            const year_month ym {year {y}, month {m}};
            const int first = int(weekday {sys_days {ym / 1}}.c_encoding());
            const int length = int(unsigned(year_month_day_last {ym / last}.day()));
            const rekovabas::MonthView view
                    = rekovabas::composeMonth(y, int(m), holidays, today, {});
            int shown = 0;
            for (const rekovabas::DayCell &cell : view.cells)
                shown += cell.visible ? 1 : 0;
            const QByteArray where = QStringLiteral("%1-%2").arg(y).arg(m).toLatin1();
            QVERIFY2(shown == length, where);
            QVERIFY2(view.cells[std::size_t(first)].caption == QStringLiteral(" 1"), where);
            QVERIFY2(view.cells[std::size_t(first + length - 1)].caption == QString::number(length),
                     where);
        }
    }
}

void tst_rekovabas::hasSchedule_data()
{
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("expected");

    // clang-format off
    QTest::newRow("the day's key")          << QStringList {"200105150x"} << 2001 << 5 << 15 << true;
    QTest::newRow("a key only, no flag")    << QStringList {"20010515"}   << 2001 << 5 << 15 << true;
    QTest::newRow("another day")            << QStringList {"200105150x"} << 2001 << 5 << 16 << false;
    QTest::newRow("seven characters")       << QStringList {"2001051"}    << 2001 << 5 << 1 << false;
    QTest::newRow("day 5 is not day 50")    << QStringList {"2001055"}    << 2001 << 5 << 5 << false;
    QTest::newRow("letters after the month") << QStringList {"200105a5x"} << 2001 << 5 << 5 << false;
    QTest::newRow("another month asked")    << QStringList {"200105150x"} << 2001 << 6 << 15 << false;
    QTest::newRow("last of several")        << QStringList {"200105010", "200105310"} << 2001 << 5 << 31 << true;
    QTest::newRow("nothing loaded")         << QStringList {}             << 2001 << 5 << 15 << false;
    // clang-format on
}

void tst_rekovabas::hasSchedule()
{
    QFETCH(QStringList, records);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(bool, expected);
    const rekovabas::MonthSchedules schedules = rekovabas::loadMonthSchedules(
            cp932::encode(records.join(QStringLiteral("\r\n"))).bytes, 2001, 5);
    QCOMPARE(rekovabas::hasSchedule(schedules, year, month, day), expected);
}

void tst_rekovabas::stepMonth_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<bool>("wholeYear");
    QTest::addColumn<int>("toYear"); // 0: refused
    QTest::addColumn<int>("toMonth");

    // clang-format off
    QTest::newRow("back from January")        << 2001 << 1  << false << false << 2000 << 12;
    QTest::newRow("forward from December")    << 2000 << 12 << true  << false << 2001 << 1;
    QTest::newRow("back within a year")       << 2001 << 5  << false << false << 2001 << 4;
    QTest::newRow("a year forward")           << 2001 << 5  << true  << true  << 2002 << 5;
    QTest::newRow("a year back")              << 2001 << 5  << false << true  << 2000 << 5;
    QTest::newRow("1980-02 back to the first") << 1980 << 2 << false << false << 1980 << 1;
    QTest::newRow("1980-01 back refused")     << 1980 << 1  << false << false << 0 << 0;
    QTest::newRow("1980-12 year back refused") << 1980 << 12 << false << true << 0 << 0;
    QTest::newRow("2069-12 forward refused")  << 2069 << 12 << true  << false << 0 << 0;
    QTest::newRow("2069-01 year forward refused") << 2069 << 1 << true << true << 0 << 0;
    QTest::newRow("2068-12 year forward")     << 2068 << 12 << true  << true  << 2069 << 12;
    // clang-format on
}

void tst_rekovabas::stepMonth()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(bool, forward);
    QFETCH(bool, wholeYear);
    QFETCH(int, toYear);
    QFETCH(int, toMonth);
    const auto to = rekovabas::stepMonth({year, month},
                                         forward ? rekovabas::StepDirection::Forward
                                                 : rekovabas::StepDirection::Back,
                                         wholeYear);
    if (toYear == 0) {
        QVERIFY(!to);
    } else {
        QVERIFY(to);
        QCOMPARE(to->year, toYear);
        QCOMPARE(to->month, toMonth);
    }
}

// What sits at the schedule file's path in the loader tests.
enum class AtPath { File, Nothing, Directory, Fifo, NoPathSet, ProcFile };
Q_DECLARE_METATYPE(AtPath)

static QByteArray cp932Bytes(const QString &text)
{
    const cp932::Encoded encoded = cp932::encode(text);
    Q_ASSERT(encoded.isValid());
    return encoded.bytes;
}

// Sets up `platform` with a schedule file for the row; returns false when that failed.
static bool prepare(FakePlatform &platform, const QTemporaryDir &dir, AtPath at,
                    const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt"));
    switch (at) {
    case AtPath::File: {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
        break;
    }
    case AtPath::Nothing:
        break;
    case AtPath::Directory:
        if (!QDir(dir.path()).mkdir(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt")))
            return false;
        break;
    case AtPath::Fifo:
        if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
            return false;
        break;
    case AtPath::NoPathSet:
        platform.setSchedulePath(QString());
        return true;
    case AtPath::ProcFile:
        // A regular file that cannot be read (write-only, even for root).
        platform.setSchedulePath(QStringLiteral("/proc/self/clear_refs"));
        return true;
    }
    platform.setSchedulePath(path);
    return true;
}

void tst_rekovabas::loaders_data()
{
    QTest::addColumn<AtPath>("at");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReadStatus>("status");
    QTest::addColumn<QStringList>("monthRecords"); // May 2001
    QTest::addColumn<bool>("found");               // 3 May 2001
    QTest::addColumn<QString>("memo");
    QTest::addColumn<bool>("alarm");

    const auto file = [](const char *name, const QString &text, const QStringList &month,
                         bool found, const QString &memo, bool alarm) {
        QTest::newRow(name) << AtPath::File << cp932Bytes(text) << ReadStatus::Present << month
                            << found << memo << alarm;
    };
    file("one record", "\"200105031会議\"\r\n", {"200105031会議"}, true, "会議", true);
    file("comma inside the memo", "\"200105030a,b,c\"\r\n", {"200105030a,b,c"}, true, "a,b,c",
         false);
    file("two records for the date, both shown", "\"200105031first\"\r\n\"200105030second\"\r\n",
         {"200105031first", "200105030second"}, true, "first\r\nsecond", true);
    file("multi-line memo", "\"200105031一行目\r\n二行目\"\r\n\"200105150x\"\r\n",
         {"200105031一行目\r\n二行目", "200105150x"}, true, "一行目\r\n二行目", true);
    file("blank and hand-written lines passed over",
         "\r\nmemo, by hand\r\n\"200105031x\"\r\n2001\r\n", {"200105031x"}, true, "x", true);
    file("other months left out", "\"200104301a\"\r\n\"200105151c\"\r\n\"200106011b\"\r\n",
         {"200105151c"}, false, "", true);
    file("flag other than 1", "\"20010503Xmemo\"\r\n", {"20010503Xmemo"}, true, "memo", false);
    file("key only", "\"20010503\"\r\n", {"20010503"}, true, "", false);
    file("half-width kana and NEC characters", "\"200105031ｽｹｼﾞｭｰﾙ①～\"\r\n",
         {"200105031ｽｹｼﾞｭｰﾙ①～"}, true, "ｽｹｼﾞｭｰﾙ①～", true);
    file("empty file", "", {}, false, "", true);
    QTest::newRow("invalid bytes keep the rest readable")
            << AtPath::File << QByteArray("\"200105031a\x80z\"\r\n\"200105151c\"\r\n")
            << ReadStatus::Present
            << QStringList {QStringLiteral("200105031a\uFFFDz"), "200105151c"} << true
            << QStringLiteral("a\uFFFDz") << true;

    const auto none = [](const char *name, AtPath at, ReadStatus status) {
        QTest::newRow(name) << at << QByteArray() << status << QStringList {} << false << QString()
                            << true;
    };
    none("no file at the path", AtPath::Nothing, ReadStatus::Absent);
    none("a directory at the path", AtPath::Directory, ReadStatus::Absent);
    none("a FIFO at the path", AtPath::Fifo, ReadStatus::Absent);
    none("no path set", AtPath::NoPathSet, ReadStatus::Absent);
    none("a file that cannot be read", AtPath::ProcFile, ReadStatus::Unreadable);
}

void tst_rekovabas::loaders()
{
    QFETCH(AtPath, at);
    QFETCH(QByteArray, bytes);
    QFETCH(ReadStatus, status);
    QFETCH(QStringList, monthRecords);
    QFETCH(bool, found);
    QFETCH(QString, memo);
    QFETCH(bool, alarm);

    QTemporaryDir dir;
    FakePlatform platform;
    QVERIFY(prepare(platform, dir, at, bytes));

    const rekovabas::Schedules source = rekovabas::readSchedules(platform);
    QCOMPARE(source.file.status, status);
    QCOMPARE(source.file.isSet(), at != AtPath::NoPathSet);
    QCOMPARE(source.file.error.isNone(), status != ReadStatus::Unreadable);

    const rekovabas::MonthSchedules month = rekovabas::loadMonthSchedules(source.bytes, 2001, 5);
    for (int d = 1; d <= 31; ++d) {
        const QString key = QStringLiteral("200105%1").arg(d, 2, 10, QLatin1Char('0'));
        const bool marked = std::any_of(monthRecords.begin(), monthRecords.end(),
                                        [&](const QString &rec) { return rec.startsWith(key); });
        QVERIFY2(rekovabas::hasSchedule(month, 2001, 5, d) == marked, qPrintable(key));
    }

    const rekovabas::DayMemo day = rekovabas::loadDayMemo(source.bytes, 2001, 5, 3);
    QCOMPARE(day.found, found);
    QCOMPARE(day.memo, memo);
    QCOMPARE(day.alarm, alarm);
    QVERIFY(platform.shown.isEmpty());
}

void tst_rekovabas::readersWithoutAFile_data()
{
    QTest::addColumn<AtPath>("at");
    QTest::newRow("no path set") << AtPath::NoPathSet;
    QTest::newRow("no file") << AtPath::Nothing;
    QTest::newRow("a directory") << AtPath::Directory;
}

void tst_rekovabas::readersWithoutAFile()
{
    QFETCH(AtPath, at);
    QTemporaryDir dir;
    FakePlatform platform;
    QVERIFY(prepare(platform, dir, at, {}));
    const rekovabas::Schedules source = rekovabas::readSchedules(platform);
    QVERIFY(source.bytes.isEmpty());
    QVERIFY(rekovabas::listLines(source.bytes).isEmpty());
    QCOMPARE(rekovabas::startUp(source.bytes, 2069, 12, u"20691231").notices.size(), 0);
    QVERIFY(platform.shown.isEmpty());
}

void tst_rekovabas::bytesReadBackAsEveryField()
{
    QTemporaryDir dir;
    FakePlatform platform;
    QVERIFY(prepare(platform, dir, AtPath::File,
                    cp932Bytes("\"200105031会議\"\r\n\r\nby hand, two\r\n\"20010101\"\r\n")));
    QStringList fields;
    fieldreader::forEachField(
            QByteArrayView(rekovabas::readSchedules(platform).bytes),
            [&](QByteArrayView field) { fields.append(cp932::decode(field).text); });
    QCOMPARE(fields, (QStringList {"200105031会議", "", "by hand", " two", "20010101"}));
}

void tst_rekovabas::listAndAlarm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("notices"); // today is 3 May 2001

    const auto notice = [](const QString &dateLine, const QString &memo) {
        return QStringLiteral("\nアラーム設定しています\n\n") + dateLine + u'\n' + memo;
    };

    QTest::newRow("alarm dated years ago") << "\"200012171会議\"\r\n"
                                           << QStringList {"2000/12/17（日）-ｱﾗｰﾑ有-会議"}
                                           << QStringList {notice("2000/12/17（日）", "会議")};
    QTest::newRow("alarm dated today") << "\"200105031今日\"\r\n"
                                       << QStringList {"2001/05/03（木）-ｱﾗｰﾑ有-今日"}
                                       << QStringList {notice("2001/05/03（木）", "今日")};
    QTest::newRow("alarm dated yesterday") << "\"200105021昨日\"\r\n"
                                           << QStringList {"2001/05/02（水）-ｱﾗｰﾑ有-昨日"}
                                           << QStringList {notice("2001/05/02（水）", "昨日")};
    QTest::newRow("alarm dated tomorrow")
            << "\"200105041明日\"\r\n"
            << QStringList {"2001/05/04（金）-ｱﾗｰﾑ有-明日"} << QStringList {};
    QTest::newRow("zeros kept, alarm off")
            << "\"200101050新年会\"\r\n"
            << QStringList {"2001/01/05（金）-ｱﾗｰﾑ無-新年会"} << QStringList {};
    QTest::newRow("flag other than 1")
            << "\"20010105Xabc\"\r\n"
            << QStringList {"2001/01/05（金）-ｱﾗｰﾑ無-abc"} << QStringList {};
    QTest::newRow("no ninth character")
            << "\"20010105\"\r\n"
            << QStringList {"2001/01/05（金）-ｱﾗｰﾑ無-"} << QStringList {};
    QTest::newRow("empty memo with alarm") << "\"200012171\"\r\n"
                                           << QStringList {"2000/12/17（日）-ｱﾗｰﾑ有-"}
                                           << QStringList {notice("2000/12/17（日）", "")};
    QTest::newRow("memo with commas and a line break")
            << "\"200012171a,b\r\nc\"\r\n"
            << QStringList {"2000/12/17（日）-ｱﾗｰﾑ有-a,b\r\nc"}
            << QStringList {notice("2000/12/17（日）", "a,b\r\nc")};
    QTest::newRow("keyless lines passed over")
            << "\r\nhand, written\r\n\"2001051\"\r\n\"２００１０５０３１x\"\r\n"
            << QStringList {} << QStringList {};
    QTest::newRow("31 April counts as 1 May")
            << "\"200004310x\"\r\n"
            << QStringList {"2000/04/31（月）-ｱﾗｰﾑ無-x"} << QStringList {};
    QTest::newRow("month 13 has no weekday")
            << "\"200013010x\"\r\n"
            << QStringList {"2000/13/01-ｱﾗｰﾑ無-x"} << QStringList {};
    QTest::newRow("repeat in 2070 has no weekday")
            << "\"207005031x\"\r\n"
            << QStringList {"2070/05/03-ｱﾗｰﾑ有-x"} << QStringList {};
    QTest::newRow("several notices in file order")
            << "\"200105031c\"\r\n\"199901011a\"\r\n\"200105030off\"\r\n\"200012311b\"\r\n"
            << QStringList {"2001/05/03（木）-ｱﾗｰﾑ有-c", "1999/01/01（金）-ｱﾗｰﾑ有-a",
                            "2001/05/03（木）-ｱﾗｰﾑ無-off", "2000/12/31（日）-ｱﾗｰﾑ有-b"}
            << QStringList {notice("2001/05/03（木）", "c"), notice("1999/01/01（金）", "a"),
                            notice("2000/12/31（日）", "b")};
    QTest::newRow("empty file") << "" << QStringList {} << QStringList {};
}

void tst_rekovabas::listAndAlarm()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, notices);
    const QByteArray bytes = cp932::encode(text).bytes;
    QCOMPARE(rekovabas::listLines(bytes), lines);
    QCOMPARE(texts(rekovabas::startUp(bytes, 2001, 5, u"20010503").notices), notices);
}

QTEST_GUILESS_MAIN(tst_rekovabas)
#include "tst_rekovabas.moc"
