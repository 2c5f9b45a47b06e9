#include "common/kyotu1.h"
#include "fakeplatform.h"

#include <QTest>

#include <chrono>
#include <map>

using namespace std::chrono;

class tst_kyotu1 : public QObject
{
    Q_OBJECT

private slots:
    void weekdayOfMatchesChronoOverTheWholeRange();
    void weekdayOf_data();
    void weekdayOf();
    void weekdayLabel_data();
    void weekdayLabel();

    void holidaysMatchTheRulesInEveryYear();
    void holidayExamples_data();
    void holidayExamples();
    void rebuildLeavesNoTraceOfThePreviousYear();
    void dayZeroIsNeverAHoliday();
    void bugMessageOnlyForImpossibleYears();

    void dayHeading_data();
    void dayHeading();
    void dayInfoText();
    void homePageAnsweredNo();
    void homePageBrowserFails();
};

void tst_kyotu1::weekdayOfMatchesChronoOverTheWholeRange()
{
    int count = 0;
    for (sys_days d = sys_days {1980y / January / 1}; d <= sys_days {2069y / December / 31};
         d += days {1}, ++count) {
        const year_month_day ymd {d};
        const int y = int(ymd.year()), m = int(unsigned(ymd.month())),
                  dd = int(unsigned(ymd.day()));
        const int expected = int(weekday {d}.c_encoding());
        if (kyotu1::weekdayOf(y, m, dd) != expected)
            QFAIL(qPrintable(QStringLiteral("%1-%2-%3").arg(y).arg(m).arg(dd)));
    }
    QCOMPARE(count, 32873);
}

void tst_kyotu1::weekdayOf_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("weekday");

    // clang-format off
    QTest::newRow("1980-01-01 first day")       << 1980 <<  1 <<  1 << 2;
    QTest::newRow("1980-02-29 leap day")        << 1980 <<  2 << 29 << 5;
    QTest::newRow("1980-03-01")                 << 1980 <<  3 <<  1 << 6;
    QTest::newRow("2000-02-29 leap century")    << 2000 <<  2 << 29 << 2;
    QTest::newRow("2069-12-31 last day")        << 2069 << 12 << 31 << 2;
    QTest::newRow("2000-04-31 is 1 May")        << 2000 <<  4 << 31 << 1;
    QTest::newRow("2001-02-30 is 2 March")      << 2001 <<  2 << 30 << 5;
    QTest::newRow("1979-12-31 before range")    << 1979 << 12 << 31 << kyotu1::noWeekday;
    QTest::newRow("2070-01-01 after range")     << 2070 <<  1 <<  1 << kyotu1::noWeekday;
    QTest::newRow("2074-12-31 repeat year")     << 2074 << 12 << 31 << kyotu1::noWeekday;
    QTest::newRow("-32768 year")                << -32768 << 1 << 1 << kyotu1::noWeekday;
    QTest::newRow("32767 year")                 << 32767 << 12 << 31 << kyotu1::noWeekday;
    QTest::newRow("month 0")                    << 2000 <<  0 <<  1 << kyotu1::noWeekday;
    QTest::newRow("month 13")                   << 2000 << 13 <<  1 << kyotu1::noWeekday;
    QTest::newRow("day 0")                      << 2000 <<  1 <<  0 << kyotu1::noWeekday;
    QTest::newRow("day 32")                     << 2000 <<  1 << 32 << kyotu1::noWeekday;
    // clang-format on
}

void tst_kyotu1::weekdayOf()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, weekday);
    QCOMPARE(kyotu1::weekdayOf(year, month, day), weekday);
}

void tst_kyotu1::weekdayLabel_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("label");

    // 2000-12-17 was a Sunday; the week after it walks through every label.
    const QStringList labels {"（日）", "（月）", "（火）", "（水）", "（木）", "（金）", "（土）"};
    for (int i = 0; i < 7; ++i)
        QTest::addRow("2000-12-%d", 17 + i) << 2000 << 12 << 17 + i << labels[i];
    QTest::newRow("2070 has no label") << 2070 << 1 << 1 << QString();
    QTest::newRow("1979 has no label") << 1979 << 12 << 31 << QString();
}

void tst_kyotu1::weekdayLabel()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, label);
    const QString actual = kyotu1::weekdayLabel(year, month, day);
    QCOMPARE(actual, label);
    QVERIFY(actual.isEmpty() || actual.size() == 3);
}

// The rules applied independently with <chrono>: (month, day) → name for one year.
static std::map<std::pair<int, int>, QString> expectedHolidays(int y)
{
    std::map<std::pair<int, int>, QString> h {
            {{1, 1}, "元旦"},           {{2, 11}, "建国記念日"},  {{4, 29}, "緑の日"},
            {{5, 3}, "憲法記念日"},     {{5, 4}, "国民の休日"},   {{5, 5}, "子供の日"},
            {{9, 15}, "敬老の日"},      {{9, 23}, "秋分の日"},    {{11, 3}, "文化の日"},
            {{11, 23}, "勤労感謝の日"}, {{12, 23}, "天皇誕生日"},
    };
    h[{3, y % 4 < 2 ? 20 : 21}] = "春分の日";
    if (y >= 1996)
        h[{7, 20}] = "海の日";
    const auto secondMonday = [y](unsigned m) {
        const sys_days d {year {y} / month {m} / Monday[2]};
        return int(unsigned(year_month_day {d}.day()));
    };
    h[{1, y < 2000 ? 15 : secondMonday(1)}] = "成人の日";
    h[{10, y < 2000 ? 10 : secondMonday(10)}] = "体育の日";
    return h;
}

void tst_kyotu1::holidaysMatchTheRulesInEveryYear()
{
    kyotu1::HolidayTable table;
    for (int y = kyotu1::firstYear; y <= kyotu1::lastYear; ++y) {
        QCOMPARE(kyotu1::buildHolidays(table, y), 0);
        const auto expected = expectedHolidays(y);
        for (int m = 0; m < kyotu1::HolidayTable::monthCount; ++m) {
            for (int d = 0; d < kyotu1::HolidayTable::dayCount; ++d) {
                const auto it = expected.find({m, d});
                const QString name = it == expected.end() ? QString() : it->second;
                const QString where = QStringLiteral("%1-%2-%3").arg(y).arg(m).arg(d);
                QVERIFY2(table.holidayName[m][d] == name, qPrintable(where));
                QVERIFY2(table.holidayFlag[m][d] == (name.isEmpty() ? 0 : 1), qPrintable(where));
            }
        }
    }
}

void tst_kyotu1::holidayExamples_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("name");

    // clang-format off
    QTest::newRow("2000-01-10 second Monday")   << 2000 <<  1 << 10 << "成人の日";
    QTest::newRow("2000-01-15 no longer")       << 2000 <<  1 << 15 << "";
    QTest::newRow("2000-10-09 second Monday")   << 2000 << 10 <<  9 << "体育の日";
    QTest::newRow("2000-10-10 no longer")       << 2000 << 10 << 10 << "";
    QTest::newRow("1999-01-15")                 << 1999 <<  1 << 15 << "成人の日";
    QTest::newRow("1999-10-10")                 << 1999 << 10 << 10 << "体育の日";
    QTest::newRow("1995-07-20 before 海の日")   << 1995 <<  7 << 20 << "";
    QTest::newRow("1996-07-20 first 海の日")    << 1996 <<  7 << 20 << "海の日";
    QTest::newRow("2003-07-20 stays fixed")     << 2003 <<  7 << 20 << "海の日";
    QTest::newRow("2003-09-15 stays fixed")     << 2003 <<  9 << 15 << "敬老の日";
    QTest::newRow("2000-03-20 vernal")          << 2000 <<  3 << 20 << "春分の日";
    QTest::newRow("2001-03-20 vernal")          << 2001 <<  3 << 20 << "春分の日";
    QTest::newRow("2002-03-21 vernal")          << 2002 <<  3 << 21 << "春分の日";
    QTest::newRow("2003-03-21 vernal")          << 2003 <<  3 << 21 << "春分の日";
    QTest::newRow("2004-03-20 vernal")          << 2004 <<  3 << 20 << "春分の日";
    QTest::newRow("2069-10-14 last year")       << 2069 << 10 << 14 << "体育の日";
    QTest::newRow("2069-05-04 citizens")        << 2069 <<  5 <<  4 << "国民の休日";
    // clang-format on
}

void tst_kyotu1::holidayExamples()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, name);
    kyotu1::HolidayTable table;
    QCOMPARE(kyotu1::buildHolidays(table, year), 0);
    QCOMPARE(table.name(month, day), name);
    QCOMPARE(table.flag(month, day), name.isEmpty() ? 0 : 1);
}

void tst_kyotu1::rebuildLeavesNoTraceOfThePreviousYear()
{
    kyotu1::HolidayTable table;
    QCOMPARE(kyotu1::buildHolidays(table, 2000), 0);
    QCOMPARE(kyotu1::buildHolidays(table, 1999), 0);
    QCOMPARE(table.flag(1, 10), 0);
    QCOMPARE(table.name(1, 10), QString());
    QCOMPARE(table.flag(10, 9), 0);
    QCOMPARE(table.name(10, 9), QString());
    QCOMPARE(table.flag(1, 15), 1);
}

void tst_kyotu1::dayZeroIsNeverAHoliday()
{
    kyotu1::HolidayTable table;
    for (int y : {1980, 2000, 2069}) {
        QCOMPARE(kyotu1::buildHolidays(table, y), 0);
        for (int m = 0; m < kyotu1::HolidayTable::monthCount; ++m) {
            QCOMPARE(table.flag(m, 0), 0);
            QCOMPARE(table.flag(m, 32), 0);
        }
    }
    // Indexes outside the table read as no holiday instead of reading past it.
    QCOMPARE(table.flag(-1, 1), 0);
    QCOMPARE(table.flag(1, 33), 0);
    QCOMPARE(table.name(14, 1), QString());
}

void tst_kyotu1::bugMessageOnlyForImpossibleYears()
{
    kyotu1::HolidayTable table;
    // A negative year leaves a negative remainder for the vernal equinox.
    QCOMPARE(kyotu1::buildHolidays(table, -3), 1);
    QCOMPARE(table.flag(3, 20) + table.flag(3, 21), 0);

    // From 2070 on the second Monday cannot be computed; no holiday is entered for it.
    QCOMPARE(kyotu1::buildHolidays(table, 2070), 2);
    for (int d = 0; d < kyotu1::HolidayTable::dayCount; ++d) {
        QVERIFY(table.name(1, d) != QStringLiteral("成人の日"));
        QVERIFY(table.name(10, d) != QStringLiteral("体育の日"));
    }
    QCOMPARE(table.name(1, 1), QStringLiteral("元旦"));
}

void tst_kyotu1::dayHeading_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("heading");

    QTest::newRow("plain day") << 2000 << 12 << 17 << " 2000年 12月 17日（日）";
    QTest::newRow("holiday") << 2000 << 1 << 10 << " 2000年 1月 10日（月）　：　成人の日";
    QTest::newRow("substitute has no name") << 2001 << 2 << 12 << " 2001年 2月 12日（月）";
}

void tst_kyotu1::dayHeading()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, heading);
    kyotu1::HolidayTable table;
    QCOMPARE(kyotu1::buildHolidays(table, year), 0);
    QCOMPARE(kyotu1::dayHeading(year, month, day, table), heading);
}

void tst_kyotu1::dayInfoText()
{
    kyotu1::HolidayTable table;
    QCOMPARE(kyotu1::buildHolidays(table, 2001), 0);
    QCOMPARE(kyotu1::dayInfoText(2001, 2, 11, table),
             QStringLiteral(" 2001年 2月 11日:建国記念日\n\n"));
    QCOMPARE(kyotu1::dayInfoText(2001, 2, 12, table), QString());
}

void tst_kyotu1::homePageAnsweredNo()
{
    FakePlatform platform;
    platform.yesNoAnswers.enqueue(false);
    kyotu1::openHomePage(platform);
    QCOMPARE(platform.shown.size(), 1);
    QCOMPARE(platform.shown[0].kind, FakePlatform::Kind::Question);
    QCOMPARE(platform.shown[0].title, QStringLiteral("インターネット接続"));
    QCOMPARE(platform.shown[0].text, QStringLiteral("\nインターネットに接続していますか？\n"));
}

void tst_kyotu1::homePageBrowserFails()
{
    FakePlatform platform;
    platform.yesNoAnswers.enqueue(true);
    platform.urlOpens = false;
    kyotu1::openHomePage(platform);
    QCOMPARE(platform.shown.size(), 3);
    QCOMPARE(platform.shown[1].kind, FakePlatform::Kind::OpenUrl);
    QCOMPARE(platform.shown[1].text, kyotu1::homePageUrl());
    QCOMPARE(platform.shown[2].kind, FakePlatform::Kind::Message);
    QVERIFY(platform.shown[2].text.contains(kyotu1::homePageUrl()));
}

QTEST_APPLESS_MAIN(tst_kyotu1)
#include "tst_kyotu1.moc"
