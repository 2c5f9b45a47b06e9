#include "fakeplatform.h"
#include "flows/calendarflows.h"
#include "icalendar/icalendar.h"
#include "icalendar/icsimport.h"
#include "icalendar/koyomiexport.h"
#include "store/cp932.h"
#include "store/fieldreader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

using icalendar::Memo;
using Memos = QList<Memo>;

namespace {

const QDate first(1980, 1, 1);
const QDate last(2069, 12, 31);
const QDate stamp(2026, 12, 7);
const QDate today = stamp;

icalendar::Parsed parseFile(const QString &name)
{
    QFile file(QStringLiteral(REKOVA_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return icalendar::parse(file.readAll(), first, last, first);
}

icalendar::Parsed parseEvent(const char *lines)
{
    QByteArray text = QByteArray("BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nUID:x\n") + lines
            + "END:VEVENT\nEND:VCALENDAR\n";
    return icalendar::parse(text.replace("\n", "\r\n"), first, last, today);
}

// Memos of every kind, as the schedule file gives them to the export.
QList<std::pair<const char *, Memo>> roundTripRows()
{
    // clang-format off
    return {
        {"one word",                          {QDate(2000, 12, 17), "会議", false}},
        {"alarm",                             {QDate(2000, 12, 17), "会議", true}},
        {"first day of the calendar",         {QDate(1980, 1, 1), "元日", false}},
        {"last day of a repeat",              {QDate(2074, 12, 31), "大晦日", false}},
        {"line breaks",                       {QDate(2026, 2, 28), "打ち合わせ\n第2会議室\n資料持参", true}},
        {"blank first line",                  {QDate(2026, 3, 1), "\n\n本文", false}},
        {"trailing line break",               {QDate(2026, 3, 2), "会議\n", false}},
        {"characters iCalendar escapes",      {QDate(2026, 3, 4), "a,b;c\\d:e", false}},
        {"folded inside characters",          {QDate(2026, 3, 5), QString(100, u'漢'), false}},
        {"half-width kana, NEC and IBM rows", {QDate(2026, 3, 6), "ｽｹｼﾞｭｰﾙ ①㈱ⅰ纊", false}},
        {"folded right at the line end",      {QDate(2026, 3, 7), QString(73, u'a'), false}},
        {"timed, as it came in",              {QDate(2026, 12, 7), "10:00 会議\n第2会議室", true}},
    };
    // clang-format on
}

// Returns: what is wrong with the lines of `ics`, or "" when each ends in CR LF, none is longer
// than 75 octets and none holds a control character other than a tab.
QString lineFault(const QByteArray &ics)
{
    if (!ics.endsWith("\r\n"))
        return QStringLiteral("no CR LF at the end");
    const QList<QByteArray> lines = ics.first(ics.size() - 2).split('\n');
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QByteArray line = k + 1 < lines.size() ? lines[k].chopped(1) : lines[k];
        if (k + 1 < lines.size() && !lines[k].endsWith('\r'))
            return QStringLiteral("bare LF after: ") + QString::fromUtf8(line);
        if (line.size() > 75)
            return QStringLiteral("longer than 75 octets: ") + QString::fromUtf8(line);
        for (const char c : line) {
            if ((uchar(c) < 0x20 && c != '\t') || c == 0x7f)
                return QStringLiteral("control character in: ") + QString::fromUtf8(line);
        }
    }
    return QString();
}

} // namespace

class tst_icalendar : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void anotherParserReadsEveryEvent();
    void koyomiOfAYearReadsBack();
    void clientExport_data();
    void clientExport();
    void clientExportLeavesOut();
    void repeatsAreBounded();
    void hostileCalendar_data();
    void hostileCalendar();
    void plan_data();
    void plan();
};

void tst_icalendar::roundTrip_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("alarm");
    for (const auto &[name, memo] : roundTripRows())
        QTest::newRow(name) << memo.date << memo.text << memo.alarm;
}

void tst_icalendar::roundTrip()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(bool, alarm);
    const Memos memos {{date, text, alarm}};
    const QByteArray ics = icalendar::format(memos, stamp);
    QCOMPARE(lineFault(ics), QString());
    // The same memo gives the same file, UID included, so a second import updates.
    QCOMPARE(icalendar::format(memos, stamp), ics);
    const icalendar::Parsed parsed = icalendar::parse(ics, first, QDate(2074, 12, 31), first);
    QVERIFY(parsed.isCalendar);
    QCOMPARE(parsed.memos, memos);
    QCOMPARE(parsed.leftOut.size(), 0);
}

void tst_icalendar::anotherParserReadsEveryEvent()
{
    Memos memos;
    for (const auto &[name, memo] : roundTripRows())
        memos.append(memo);
    memos.append(memos.first()); // two records alike on one day stay two events
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("暦丸.ics"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(icalendar::format(memos, stamp)) > 0);
    file.close();

    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(REKOVA_ICSREAD), path});
    QVERIFY(reader.waitForFinished(60000));
    QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
    const QJsonArray events = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    QCOMPARE(events.size(), memos.size());
    QSet<QString> uids;
    for (qsizetype k = 0; k < memos.size(); ++k) {
        const QJsonArray event = events[k].toArray();
        // A memo that begins with a time goes out at that time, the time off its text.
        QString start = memos[k].date.toString(QStringLiteral("yyyyMMdd"));
        QString text = memos[k].text;
        if (text.startsWith(QStringLiteral("10:00 "))) {
            start += QStringLiteral("T1000");
            text.remove(0, 6);
        }
        QCOMPARE(event[0].toString(), start);
        QCOMPARE(event[1].toInt() == 1, memos[k].alarm);
        QCOMPARE(event[2].toString(), icalendar::summaryOf(text));
        QCOMPARE(event[3].toString(), text);
        uids.insert(event[4].toString());
    }
    QCOMPARE(uids.size(), memos.size());
}

// The 六曜 of every day and the solar terms of the year chosen, read back by libical and by
// python3-icalendar; a cancelled choice asks for no file.
void tst_icalendar::koyomiOfAYearReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("六曜.ics"));
    FakePlatform platform;
    platform.todayDate = stamp;
    platform.choiceAnswers.enqueue(0);
    platform.saveAnswers.enqueue(path);
    QVERIFY(flows::exportKoyomi(platform, 2033));
    QCOMPARE(platform.shown[0].filters,
             (QStringList {"2033年", "2033年〜2042年", "1980年〜2069年", "キャンセル"}));
    QCOMPARE(platform.messages(),
             QStringList {"2033年の六曜と節気（389 件）を書き出しました。\n" + path});

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray ics = file.readAll();
    QCOMPARE(lineFault(ics), QString());
    const icalendar::Parsed parsed = icalendar::parse(ics, first, last, first);
    QCOMPARE(parsed.memos.size(), 365 + 24);
    QStringList december21st, december22nd;
    for (const Memo &memo : parsed.memos) {
        QVERIFY(memo.date.year() == 2033 && !memo.alarm);
        if (memo.date == QDate(2033, 12, 21))
            december21st << memo.text;
        if (memo.date == QDate(2033, 12, 22))
            december22nd << memo.text;
    }
    QCOMPARE(december21st, (QStringList {"仏滅", "冬至"}));
    QCOMPARE(december22nd, QStringList {"大安"}); // 閏11月1日

    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(REKOVA_ICSREAD), path});
    QVERIFY(reader.waitForFinished(60000));
    QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
    QCOMPARE(QJsonDocument::fromJson(reader.readAllStandardOutput()).array().size(), 365 + 24);

    platform.shown.clear();
    QVERIFY(!flows::exportKoyomi(platform, 2069));
    QCOMPARE(platform.shown.size(), 1);
    QCOMPARE(platform.shown[0].filters, (QStringList {"2069年", "1980年〜2069年", "キャンセル"}));

    // Never over the memos: the file would hold the 暦 in UTF-8 instead.
    const QString memos = dir.filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt"));
    const QByteArray memoBytes("\"202612071会議\"\r\n");
    QFile memoFile(memos);
    QVERIFY(memoFile.open(QIODevice::WriteOnly) && memoFile.write(memoBytes) == memoBytes.size());
    memoFile.close();
    platform.setSchedulePath(memos);
    platform.choiceAnswers.enqueue(0);
    platform.saveAnswers.enqueue(memos);
    QVERIFY(!flows::exportKoyomi(platform, 2033));
    QVERIFY(memoFile.open(QIODevice::ReadOnly));
    QCOMPARE(memoFile.readAll(), memoBytes);
}

void tst_icalendar::clientExport_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("alarm");

    // The events of tests/data/thunderbird.ics, read in Japan's time zone.
    // clang-format off
    QTest::newRow("timed in Tokyo, description, alarm") << QDate(2026, 12, 7) << "10:00 会議\n第2会議室\n資料を持参" << true;
    QTest::newRow("UTC, the next day in Japan")         << QDate(2026, 12, 8) << "08:00 海外と電話" << false;
    QTest::newRow("all day, escapes, folded lines")     << QDate(2026, 12, 23)
            << "忘年会, 二次会あり\n会費 5000円; 幹事は山田さん。駅前の店を予約済み、十九時に改札前で待ち合わせ。" << false;
    QTest::newRow("yearly since 1975: first year")      << QDate(1980, 3, 21) << "母の誕生日" << false;
    QTest::newRow("yearly since 1975: last year")       << QDate(2069, 3, 21) << "母の誕生日" << false;
    QTest::newRow("weekly: first")                      << QDate(2027, 1, 5) << "19:00 英会話" << false;
    QTest::newRow("weekly: the one moved")              << QDate(2027, 1, 19) << "20:00 英会話（振替）" << false;
    QTest::newRow("weekly: last")                       << QDate(2027, 1, 26) << "19:00 英会話" << false;
    QTest::newRow("emoji, kept for the store to judge") << QDate(2027, 2, 10) << "誕生会🎂" << false;
    // clang-format on
}

void tst_icalendar::clientExport()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(bool, alarm);
    const icalendar::Parsed parsed = parseFile(QStringLiteral("thunderbird.ics"));
    QVERIFY(parsed.memos.contains(Memo {date, text, alarm}));
}

void tst_icalendar::clientExportLeavesOut()
{
    const icalendar::Parsed parsed = parseFile(QStringLiteral("thunderbird.ics"));
    QVERIFY(parsed.isCalendar);
    // Four single events and the moved lesson, 90 birthdays, and two of the four weekly
    // lessons (one excluded, one moved); the to-do is no event.
    QCOMPARE(parsed.memos.size(), 5 + 90 + 2);
    QCOMPARE(parsed.leftOut.size(), 2);
    QCOMPARE(parsed.leftOut[0].event, QStringLiteral("2126/12/03 百年後の同窓会"));
    QCOMPARE(parsed.leftOut[0].reason,
             QStringLiteral("1980年から2069年までの日付ではありません。"));
    QCOMPARE(parsed.leftOut[1].event, QStringLiteral("2026/12/09 中止になった打ち合わせ"));
    QCOMPARE(parsed.leftOut[1].reason, QStringLiteral("取り消された予定です。"));
}

void tst_icalendar::repeatsAreBounded()
{
    const icalendar::Parsed daily
            = parseEvent("SUMMARY:日記\nDTSTART;VALUE=DATE:20000101\nRRULE:FREQ=DAILY\n");
    QCOMPARE(daily.memos.size(), icalendar::occurrenceLimit);
    QCOMPARE(daily.memos.last().date, QDate(2002, 9, 26));
    QCOMPARE(daily.leftOut.size(), 1);
    QCOMPARE(daily.leftOut[0].reason,
             QStringLiteral(
                     "繰り返しが多いため、1000 回を超える分（2002/09/27 から）は取り込みません。"));

    // A rule by the minute that never matches: libical would search up to the year 2582 in
    // one call. The first day is taken, the rest is named.
    const icalendar::Parsed byMinute = parseEvent(
            "SUMMARY:毎分\nDTSTART:20000101T090000\nRRULE:FREQ=MINUTELY;BYMONTH=2;BYMONTHDAY=30\n");
    QCOMPARE(byMinute.memos, (Memos {{QDate(2000, 1, 1), "09:00 毎分", false}}));
    QCOMPARE(byMinute.leftOut.size(), 1);
    QCOMPARE(byMinute.leftOut[0].reason,
             QStringLiteral("1日に何度も繰り返す予定のため、最初の1回だけを取り込みます。"));
}

void tst_icalendar::hostileCalendar_data()
{
    QTest::addColumn<QByteArray>("ics");
    QTest::addColumn<Memos>("memos");

    const QByteArray event = "BEGIN:VEVENT\r\nUID:x\r\nSUMMARY:会議\r\n";
    // clang-format off
    QTest::newRow("nested 300,000 levels deep")
            << "BEGIN:VCALENDAR\r\n" + event + "DTSTART;VALUE=DATE:20261207\r\n"
                    + QByteArray("BEGIN:X\r\n").repeated(300000) + QByteArray("END:X\r\n").repeated(300000)
                    + "END:VEVENT\r\nEND:VCALENDAR\r\n"
            << Memos {{QDate(2026, 12, 7), "会議", false}};
    QTest::newRow("time zone that changes by the minute")
            << "BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:Z\r\nBEGIN:STANDARD\r\n"
               "DTSTART:19700101T000000\r\nRRULE:FREQ=MINUTELY\r\nTZOFFSETFROM:+0000\r\n"
               "TZOFFSETTO:+0000\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
                    + event + "DTSTART;TZID=Z:20261207T100000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"
            << Memos {{QDate(2026, 12, 7), "19:00 会議", false}};
    QTest::newRow("counted from centuries back")
            << "BEGIN:VCALENDAR\r\n" + event + "DTSTART;VALUE=DATE:17000101\r\nRRULE:FREQ=YEARLY;COUNT=1000\r\n"
                    "END:VEVENT\r\nEND:VCALENDAR\r\n"
            << Memos {};
    const QByteArray begin = "BEGIN:VCALENDAR\r\n" + event;
    const QByteArray end = "END:VEVENT\r\nEND:VCALENDAR\r\n";
    QTest::newRow("two extra dates, its own date kept")
            << begin + "DTSTART;VALUE=DATE:20270401\r\nRDATE;VALUE=DATE:20270410\r\nRDATE;VALUE=DATE:20270420\r\n" + end
            << Memos {{QDate(2027, 4, 1), "会議", false}, {QDate(2027, 4, 10), "会議", false}, {QDate(2027, 4, 20), "会議", false}};
    QTest::newRow("a list of extra dates beside a rule")
            << begin + "DTSTART;VALUE=DATE:20270105\r\nRRULE:FREQ=YEARLY;COUNT=1\r\nEXDATE;VALUE=DATE:20270120\r\n"
                       "RDATE;VALUE=DATE:20270120,20270130,20270105\r\n" + end
            << Memos {{QDate(2027, 1, 5), "会議", false}, {QDate(2027, 1, 30), "会議", false}};
    QTest::newRow("extra periods, from their start")
            << begin + "DTSTART:20270301T010000Z\r\nRDATE;VALUE=PERIOD:20270305T010000Z/PT1H,20270306T020000Z/20270306T030000Z\r\n" + end
            << Memos {{QDate(2027, 3, 1), "10:00 会議", false}, {QDate(2027, 3, 5), "10:00 会議", false}, {QDate(2027, 3, 6), "11:00 会議", false}};
    // clang-format on
    Memos birthdays;
    for (int year = 2000; year <= 2028; ++year)
        birthdays.append({QDate(year, 12, 7), "会議", year >= today.year()});
    QTest::newRow("yearly reminder since 2000, from today on") << begin
                    + "DTSTART;VALUE=DATE:20001207\r\nRRULE:FREQ=YEARLY;UNTIL=20281207\r\n"
                      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
                    + end << birthdays;
}

void tst_icalendar::hostileCalendar()
{
    QFETCH(QByteArray, ics);
    QFETCH(Memos, memos);
    QCOMPARE(icalendar::parse(ics, first, last, today).memos, memos);
}

void tst_icalendar::plan_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<Memos>("memos");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<int>("present");
    QTest::addColumn<QStringList>("reasons");
    QTest::addColumn<QStringList>("respelled");

    const QDate day(2000, 12, 17);
    const QString kaigi = QStringLiteral("\"200012170会議\"\r\n");
    // clang-format off
    QTest::newRow("new, with its alarm")           << "" << Memos {{day, "会議", true}} << QStringList {"200012171会議"} << 0 << QStringList {} << QStringList {};
    QTest::newRow("line breaks stored as CR LF")    << "" << Memos {{day, "一\n二", false}} << QStringList {"200012170一\r\n二"} << 0 << QStringList {} << QStringList {};
    QTest::newRow("in the file with CR LF")         << "\"200012170一\r\n二\"\r\n" << Memos {{day, "一\n二", false}} << QStringList {} << 1 << QStringList {} << QStringList {};
    QTest::newRow("in the file with blanks around")  << "\"200012170 会議\r\n\"\r\n" << Memos {{day, "会議", false}} << QStringList {} << 1 << QStringList {} << QStringList {};
    QTest::newRow("in the file, alarm aside")       << kaigi << Memos {{day, "会議", true}} << QStringList {} << 1 << QStringList {} << QStringList {};
    QTest::newRow("same text, another date")        << kaigi << Memos {{day.addDays(1), "会議", false}} << QStringList {"200012180会議"} << 0 << QStringList {} << QStringList {};
    QTest::newRow("twice in the calendar")          << "" << Memos {{day, "会議", false}, {day, "会議", false}} << QStringList {"200012170会議"} << 1 << QStringList {} << QStringList {};
    QTest::newRow("quotation mark")                 << "" << Memos {{day, "\"至急\"", false}} << QStringList {} << 0
            << QStringList {"「\"」（ダブルクォーテーション）はスケジュールファイルに保存できません。"} << QStringList {};
    QTest::newRow("emoji, the rest still added")    << "" << Memos {{day, "誕生会🎂", false}, {day, "会議", false}} << QStringList {"200012170会議"} << 0
            << QStringList {"文字「🎂」はスケジュールファイルに保存できません。"} << QStringList {};
    QTest::newRow("yen sign")                       << "" << Memos {{day, "会費¥500", false}} << QStringList {} << 0
            << QStringList {"文字「¥」はスケジュールファイルに保存できません。"} << QStringList {};
    QTest::newRow("other spellings, named")         << "" << Memos {{day, "10時〜12時 −5 —¢£¬‖〜", false}}
            << QStringList {"20001217010時～12時 －5 ―￠￡￢∥～"} << 0 << QStringList {}
            << QStringList {"〜→～", "−→－", "—→―", "¢→￠", "£→￡", "¬→￢", "‖→∥"};
    QTest::newRow("other spellings, found next time") << "\"200012170会議〜\"\r\n" << Memos {{day, "会議〜", false}, {day, "会議〜", false}}
            << QStringList {} << 2 << QStringList {} << QStringList {};
    // clang-format on
}

void tst_icalendar::plan()
{
    QFETCH(QString, existing);
    QFETCH(Memos, memos);
    QFETCH(QStringList, records);
    QFETCH(int, present);
    QFETCH(QStringList, reasons);
    QFETCH(QStringList, respelled);
    QList<QByteArray> fields;
    fieldreader::forEachField(QByteArrayView(cp932::encode(existing).bytes),
                              [&](QByteArrayView field) { fields.append(field.toByteArray()); });
    const icsimport::Plan plan = icsimport::plan(memos, fields);
    QStringList given;
    for (const QByteArray &record : plan.records)
        given.append(cp932::decode(record).text);
    QCOMPARE(given, records);
    QCOMPARE(plan.present, present);
    given.clear();
    for (const icalendar::LeftOut &leftOut : plan.leftOut)
        given.append(leftOut.reason);
    QCOMPARE(given, reasons);
    given.clear();
    for (const cp932::Respelling &respelling : plan.respelled)
        given.append(respelling.from + u'→' + respelling.to);
    QCOMPARE(given, respelled);
}

// The times of the cases are Japan's, whoever runs the test and wherever.
int main(int argc, char **argv)
{
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    QCoreApplication app(argc, argv);
    tst_icalendar test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_icalendar.moc"
