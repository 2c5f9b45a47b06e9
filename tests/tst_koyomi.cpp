#include "koyomi/koyomi.h"

#include <QFile>
#include <QTest>

#include <map>

// The calendar of 1980–2069 against tests/data/koyomi-1980-2069.txt, which astronomy-engine
// and a rule set of its own wrote (tests/tools/koyomi-data.js), and the days people look for.
class tst_koyomi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyDayMatchesTheIndependentData_data();
    void everyDayMatchesTheIndependentData();
    void everySolarTermMatchesTheIndependentData_data();
    void everySolarTermMatchesTheIndependentData();
    void namedDays_data();
    void namedDays();
    void monthEraText_data();
    void monthEraText();
    void outsideTheYearsNothingIsSaid();

private:
    struct Month
    {
        int year;
        int month;
        bool leap;
    };
    std::map<QDate, Month> months;                               // by first day
    std::map<int, std::vector<std::pair<QDate, QString>>> terms; // by year
};

void tst_koyomi::initTestCase()
{
    QFile file(QStringLiteral(REKOVA_TEST_DATA "/koyomi-1980-2069.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!file.atEnd()) {
        const QStringList f = QString::fromUtf8(file.readLine()).trimmed().split(u' ');
        const QDate date = QDate::fromString(f.value(1), Qt::ISODate);
        if (f[0] == u'M')
            months[date] = {f[2].toInt(), f[3].toInt(), f[4] == u'1'};
        else if (f[0] == u'T')
            terms[date.year()].push_back({date, f[3]});
    }
    QCOMPARE(months.size(), std::size_t(1114));
    QCOMPARE(terms.size(), std::size_t(90));
}

void tst_koyomi::everyDayMatchesTheIndependentData_data()
{
    QTest::addColumn<int>("year");
    for (int year = koyomi::firstYear; year <= koyomi::lastYear; ++year)
        QTest::addRow("%d", year) << year;
}

// The 旧暦 date and the 六曜 of every day. The 六曜 of a month's first day goes by its number,
// as printed calendars list it: 先勝 in the 1st and 7th months, 友引 in the 2nd and 8th, and so
// on; each day after it takes the next.
void tst_koyomi::everyDayMatchesTheIndependentData()
{
    QFETCH(int, year);
    static const QStringList order {QStringLiteral("先勝"), QStringLiteral("友引"),
                                    QStringLiteral("先負"), QStringLiteral("仏滅"),
                                    QStringLiteral("大安"), QStringLiteral("赤口")};
    for (QDate date(year, 1, 1); date.year() == year; date = date.addDays(1)) {
        const auto start = std::prev(months.upper_bound(date));
        const Month &expected = start->second;
        const int lunarDay = int(start->first.daysTo(date)) + 1;
        const std::optional<koyomi::Day> day = koyomi::dayOf(date);
        QVERIFY2(day, qPrintable(date.toString(Qt::ISODate)));
        const auto where = [&] { return qPrintable(date.toString(Qt::ISODate)); };
        QVERIFY2(day->month.year == expected.year && day->month.month == expected.month
                         && day->month.leap == expected.leap && day->lunarDay == lunarDay,
                 where());
        QVERIFY2(day->lunarDay <= 30, where());
        QCOMPARE(koyomi::rokuyoName(day->rokuyo), order[(expected.month - 1 + lunarDay - 1) % 6]);
    }
}

void tst_koyomi::everySolarTermMatchesTheIndependentData_data()
{
    everyDayMatchesTheIndependentData_data();
}

// The 24 terms of the year on their days, and no others.
void tst_koyomi::everySolarTermMatchesTheIndependentData()
{
    QFETCH(int, year);
    const koyomi::YearTable &table = koyomi::yearTable(year);
    std::vector<std::pair<QDate, QString>> found;
    for (const koyomi::NamedDay &named : table.namedDays) {
        if (named.solarTerm)
            found.push_back({QDate::fromJulianDay(named.day), named.name});
    }
    QCOMPARE(found, terms[year]);
}

void tst_koyomi::namedDays_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("line");
    const auto row = [](const char *name, QDate date, const char *line) {
        QTest::newRow(name) << date << QString::fromUtf8(line);
    };
    row("2026-12-07", QDate(2026, 12, 7), "令和8年12月7日（月） 旧暦10月29日 友引 大雪");
    // The 2033 problem: a leap 11th month, and 旧正月 on 19 February 2034.
    row("2033-12-22 閏11月1日", QDate(2033, 12, 22), "令和15年12月22日（木） 旧暦閏11月1日 大安");
    row("2034-02-19 旧正月", QDate(2034, 2, 19), "令和16年2月19日（日） 旧暦1月1日 先勝");
    row("1984-11-23 閏10月1日", QDate(1984, 11, 23), "昭和59年11月23日（金） 旧暦閏10月1日 仏滅");
    row("2052-09-23 閏8月1日", QDate(2052, 9, 23), "令和34年9月23日（月） 旧暦閏8月1日 友引");
    // A Chinese calendar, at UTC+8, begins this year a day earlier.
    row("2027-02-07 旧正月", QDate(2027, 2, 7), "令和9年2月7日（日） 旧暦1月1日 先勝");
    // New moons and a term within two minutes of midnight.
    row("2017-02-26 新月 23:58", QDate(2017, 2, 26), "平成29年2月26日（日） 旧暦2月1日 友引");
    row("2030-02-18 雨水 23:59", QDate(2030, 2, 18), "令和12年2月18日（月） 旧暦1月16日 仏滅 雨水");
    row("1989-01-07 昭和64年", QDate(1989, 1, 7), "昭和64年1月7日（土） 旧暦11月30日 仏滅");
    row("1989-01-08 平成元年", QDate(1989, 1, 8), "平成元年1月8日（日） 旧暦12月1日 赤口");
    row("2019-05-01 令和元年", QDate(2019, 5, 1), "令和元年5月1日（水） 旧暦3月27日 大安");
    row("2026-02-03 節分", QDate(2026, 2, 3), "令和8年2月3日（火） 旧暦12月16日 先負 節分");
    row("2026-03-17 彼岸の入り", QDate(2026, 3, 17),
        "令和8年3月17日（火） 旧暦1月29日 大安 彼岸の入り");
    row("2026-05-02 八十八夜", QDate(2026, 5, 2), "令和8年5月2日（土） 旧暦3月16日 赤口 八十八夜");
    row("2026-06-11 入梅", QDate(2026, 6, 11), "令和8年6月11日（木） 旧暦4月26日 大安 入梅");
    row("2026-07-20 土用の入り", QDate(2026, 7, 20),
        "令和8年7月20日（月） 旧暦6月7日 赤口 土用の入り");
    row("2026-09-01 二百十日", QDate(2026, 9, 1), "令和8年9月1日（火） 旧暦7月20日 友引 二百十日");
    row("2026-09-23 秋分", QDate(2026, 9, 23), "令和8年9月23日（水） 旧暦8月13日 友引 秋分");
}

void tst_koyomi::namedDays()
{
    QFETCH(QDate, date);
    QFETCH(QString, line);
    QCOMPARE(koyomi::dayLine(date), line);
}

void tst_koyomi::monthEraText_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("text");
    QTest::newRow("1980-01") << 1980 << 1 << QStringLiteral("昭和55年（庚申）");
    QTest::newRow("1989-01") << 1989 << 1 << QStringLiteral("昭和64年・平成元年（己巳）");
    QTest::newRow("2019-04") << 2019 << 4 << QStringLiteral("平成31年（己亥）");
    QTest::newRow("2019-05") << 2019 << 5 << QStringLiteral("令和元年（己亥）");
    QTest::newRow("2026-12") << 2026 << 12 << QStringLiteral("令和8年（丙午）");
}

void tst_koyomi::monthEraText()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QString, text);
    QCOMPARE(koyomi::monthEraText(year, month), text);
}

void tst_koyomi::outsideTheYearsNothingIsSaid()
{
    QVERIFY(!koyomi::dayOf(QDate(1979, 12, 31)));
    QVERIFY(!koyomi::dayOf(QDate(2070, 1, 1)));
    QVERIFY(!koyomi::dayOf(QDate()));
    QCOMPARE(koyomi::dayLine(QDate(2070, 1, 1)), QString());
}

QTEST_GUILESS_MAIN(tst_koyomi)
#include "tst_koyomi.moc"
