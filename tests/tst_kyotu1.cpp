#include "common/kyotu1.h"
#include "common/textfold.h"
#include "fakeplatform.h"

#include <QFile>
#include <QTest>

#include <chrono>
#include <limits>
#include <map>
#include <tuple>

using namespace std::chrono;

class tst_kyotu1 : public QObject
{
    Q_OBJECT

private slots:
    void weekdayOfMatchesChronoOverTheWholeRange();
    void searchFoldsAsJapaneseIsTyped_data();
    void searchFoldsAsJapaneseIsTyped();
    void weekdayOf_data();
    void weekdayOf();
    void weekdayLabel_data();
    void weekdayLabel();

    void holidaysMatchAPublicListInEveryYear();
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

// The holidays of 1980-2050 as a public list has them, independent of the program's rules:
// (year, month, day) → the list's name.
static std::map<std::tuple<int, int, int>, QString> publicHolidays()
{
    std::map<std::tuple<int, int, int>, QString> all;
    QFile file(QFINDTESTDATA("data/holidays-jp-1980-2050.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return all;
    // "yyyy: mmdd name; mmdd name; …", one line per year.
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'#') || line.size() < 6)
            continue;
        const int year = line.left(4).toInt();
        for (const QString &entry : line.mid(6).split(QStringLiteral("; ")))
            all[{year, entry.left(2).toInt(), entry.mid(2, 2).toInt()}] = entry.mid(5);
    }
    return all;
}

// The list's name in the program's spelling; "" for the two days the list names only
// "休日（祝日扱い）".
static QString inProgramSpelling(const QString &listName)
{
    // clang-format off
    static const std::map<QString, QString> spelling {
            {"元日", "元旦"}, {"建国記念の日", "建国記念日"}, {"みどりの日", "緑の日"},
            {"こどもの日", "子供の日"}, {"休日", "国民の休日"}, {"休日（祝日扱い）", ""},
            {"体育の日（スポーツの日）", "体育の日"}};
    // clang-format on
    if (listName.endsWith(QStringLiteral(" 振替休日")))
        return QStringLiteral("振替休日");
    const auto it = spelling.find(listName);
    return it == spelling.end() ? listName : it->second;
}

void tst_kyotu1::holidaysMatchAPublicListInEveryYear()
{
    const auto expected = publicHolidays();
    QCOMPARE(expected.size(), std::size_t(1198));
    kyotu1::HolidayTable table;
    for (int y = kyotu1::firstYear; y <= 2050; ++y) {
        QCOMPARE(kyotu1::buildHolidays(table, y), 0);
        for (int m = 0; m < kyotu1::HolidayTable::monthCount; ++m) {
            for (int d = 0; d < kyotu1::HolidayTable::dayCount; ++d) {
                const auto it = expected.find({y, m, d});
                const QString where
                        = QStringLiteral("%1-%2-%3 %4").arg(y).arg(m).arg(d).arg(table.name(m, d));
                QVERIFY2(table.flag(m, d) == (it == expected.end() ? 0 : 1), qPrintable(where));
                const QString name
                        = it == expected.end() ? QString() : inProgramSpelling(it->second);
                QVERIFY2(table.name(m, d) == name || (name.isEmpty() && table.flag(m, d) == 1),
                         qPrintable(where));
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
    QTest::newRow("2003-07-21 third Monday")    << 2003 <<  7 << 21 << "海の日";
    QTest::newRow("2004-09-20 third Monday")    << 2004 <<  9 << 20 << "敬老の日";
    QTest::newRow("2000-03-20 vernal")          << 2000 <<  3 << 20 << "春分の日";
    QTest::newRow("2001-03-20 vernal")          << 2001 <<  3 << 20 << "春分の日";
    QTest::newRow("2002-03-21 vernal")          << 2002 <<  3 << 21 << "春分の日";
    QTest::newRow("2003-03-21 vernal")          << 2003 <<  3 << 21 << "春分の日";
    QTest::newRow("2004-03-20 vernal")          << 2004 <<  3 << 20 << "春分の日";
    QTest::newRow("2069-10-14 last year")       << 2069 << 10 << 14 << "スポーツの日";
    QTest::newRow("2069-05-04 緑の日")          << 2069 <<  5 <<  4 << "緑の日";
    QTest::newRow("2019-05-01 named by its act") << 2019 <<  5 <<  1 << "即位の日";
    QTest::newRow("2019-10-22 named by its act") << 2019 << 10 << 22 << "即位礼正殿の儀";
    QTest::newRow("2053-02-24 substitute")      << 2053 <<  2 << 24 << "振替休日";
    QTest::newRow("2054-05-06 chained substitute") << 2054 << 5 << 6 << "振替休日";
    QTest::newRow("2054-09-22 in-between")      << 2054 <<  9 << 22 << "国民の休日";
    QTest::newRow("2069-03-20 vernal")          << 2069 <<  3 << 20 << "春分の日";
    QTest::newRow("2069-12-23 no longer")       << 2069 << 12 << 23 << "";
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
    // Far from 1980 the equinox formula leaves its month.
    QCOMPARE(kyotu1::buildHolidays(table, -3), 2);
    for (int d = 0; d < kyotu1::HolidayTable::dayCount; ++d)
        QVERIFY(table.name(3, d) != QStringLiteral("春分の日"));
    QCOMPARE(kyotu1::buildHolidays(table, std::numeric_limits<int>::min()), 2);
    QCOMPARE(kyotu1::buildHolidays(table, std::numeric_limits<int>::max()), 6);

    // From 2070 on no Monday can be found; no holiday is entered for the four Monday rules.
    QCOMPARE(kyotu1::buildHolidays(table, 2070), 4);
    for (int d = 0; d < kyotu1::HolidayTable::dayCount; ++d) {
        QVERIFY(table.name(1, d) != QStringLiteral("成人の日"));
        QVERIFY(table.name(10, d) != QStringLiteral("スポーツの日"));
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
    QTest::newRow("substitute by its name")
            << 2001 << 2 << 12 << " 2001年 2月 12日（月）　：　振替休日";
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
    QCOMPARE(kyotu1::dayInfoText(2001, 2, 12, table),
             QStringLiteral(" 2001年 2月 12日:振替休日\n\n"));
    QCOMPARE(kyotu1::dayInfoText(2001, 2, 13, table), QString());
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

void tst_kyotu1::searchFoldsAsJapaneseIsTyped_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("found");

    const QString line = QStringLiteral("2026/12/24（木）-ｱﾗｰﾑ有-スケジュール会議 Room B");
    QTest::newRow("half-width katakana, voiced marks apart") << line << "ｽｹｼﾞｭｰﾙ" << true;
    QTest::newRow("hiragana for katakana") << line << "すけじゅーる" << true;
    QTest::newRow("katakana for half-width katakana") << line << "アラーム" << true;
    QTest::newRow("full-width letters, any case") << line << "ｒｏｏｍ　ｂ" << true;
    QTest::newRow("full-width digits and slash") << line << "１２／２４" << true;
    QTest::newRow("year and month as the lines show them") << line << "2026/12" << true;
    QTest::newRow("every word must be there") << line << "会議 2025" << false;
    QTest::newRow("small kana are not large ones")
            << QStringLiteral("ちょっと") << "ちよつと" << false;
}

void tst_kyotu1::searchFoldsAsJapaneseIsTyped()
{
    QFETCH(QString, line);
    QFETCH(QString, typed);
    QFETCH(bool, found);
    QCOMPARE(textfold::matches(textfold::fold(line), textfold::searchTerms(typed)), found);
}

QTEST_APPLESS_MAIN(tst_kyotu1)
#include "tst_kyotu1.moc"
