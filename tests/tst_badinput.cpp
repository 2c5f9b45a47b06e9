// Damaged schedule files: whatever the file holds, every reader finishes in bounded time, shows
// every record it can read, and an add either refuses and leaves the file byte for byte alone
// (when the file holds bytes that are not CP932, which a rewrite would change for good) or
// keeps every other line of it.

#include "calendar/rekovabas.h"
#include "fakeplatform.h"
#include "fieldlist.h"
#include "filebytes.h"
#include "flows/storeflows.h"
#include "store/cp932.h"
#include "store/dirs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Three good records of December 2000, on days of their own.
const QString first = QStringLiteral("200012011朝会");      // Friday 1st, alarm on
const QString middle = QStringLiteral("200012150締め切り"); // Friday 15th, alarm off
const QString last = QStringLiteral("200012311大晦日");     // Sunday 31st, alarm on

QByteArray line(const QString &rec, const char *end = "\r\n")
{
    return '"' + cp932::encode(rec).bytes + '"' + end;
}

const QByteArray good = line(first) + line(middle) + line(last);

// The bytes of a literal that holds NUL bytes.
template<qsizetype N> QByteArray literal(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

// The list line and the alarm notice of a December 2000 record, as the user sees them.
QString dateText(const QString &rec)
{
    static const QStringList weekdays {"（日）", "（月）", "（火）", "（水）",
                                       "（木）", "（金）", "（土）"};
    const int day = rec.mid(6, 2).toInt();
    return "2000/12/" + rec.mid(6, 2) + weekdays[(5 + day - 1) % 7]; // the 1st is a Friday
}

QString listLine(const QString &rec)
{
    return dateText(rec) + (rec[8] == u'1' ? "-ｱﾗｰﾑ有-" : "-ｱﾗｰﾑ無-") + rec.mid(9);
}

QString notice(const QString &rec)
{
    return "\nアラーム設定しています\n\n" + dateText(rec) + "\n" + rec.mid(9);
}

} // namespace

class tst_badinput : public QObject
{
    Q_OBJECT

private slots:
    void damagedFile_data();
    void damagedFile();
};

void tst_badinput::damagedFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("records"); // every record of December 2000 it holds
    QTest::addColumn<dirs::AddStatus>("add");

    const auto written = dirs::AddStatus::Written;
    const auto invalid = dirs::AddStatus::FileHasInvalidBytes; // bytes that are not CP932
    const auto stray = dirs::AddStatus::FileHasStrayText;      // text a rewrite would drop

    const QString bigMemo(10 * 1024 * 1024, u'x');
    const QString nul(1, QChar(0));
    // clang-format off
    QTest::newRow("invalid CP932 bytes")
            << line(first) + QByteArray("\"200012150a\x80z\xFD\"\r\n") + line(last)
            << QStringList {first, "200012150a\uFFFDz\uFFFD", last} << invalid;
    QTest::newRow("lone lead byte at the end")
            << good + "\x81" << QStringList {first, middle, last} << invalid;
    QTest::newRow("NUL bytes")
            << line(first) + literal("\"200012150a\0b\"\r\n\0\0\r\n") + line(last)
            << QStringList {first, "200012150a" + nul + "b", last} << written;
    QTest::newRow("DOS end-of-file mark")
            << good + "\x1A" << QStringList {first, middle, last} << written;
    QTest::newRow("unterminated quote at the end")
            << line(first) + line(middle, "").chopped(1) + cp932::encode(u"途中").bytes
            << QStringList {first, middle + "途中"} << written;
    QTest::newRow("hand-written line with a quotation mark")
            << QByteArray("memo \"quoted\" by hand\r\n") + good
            << QStringList {first, middle, last} << written;
    QTest::newRow("record typed after a stray quotation mark")
            << QByteArray("\"note\r\n\"200012151lost\"\r\n") + good
            << QStringList {first, middle, last} << stray;
    QTest::newRow("two records run together")
            << line(first).chopped(2) + line(middle) + line(last)
            << QStringList {first, last} << stray;
    QTest::newRow("10 MB single line")
            << line(first) + bigMemo.toLatin1().prepend("200012150") + "\r\n" + line(last)
            << QStringList {first, "200012150" + bigMemo, last} << written;
    QTest::newRow("100,000 blank lines")
            << line(first) + QByteArray(200000, '\n').replace("\n\n", "\r\n") + line(last)
            << QStringList {first, last} << written;
    QTest::newRow("CR-only line ends")
            << line(first, "\r") + line(middle, "\r") + line(last, "\r")
            << QStringList {first, middle, last} << written;
    QTest::newRow("LF-only line ends")
            << line(first, "\n") + line(middle, "\n") + line(last, "\n")
            << QStringList {first, middle, last} << written;
    // EF BB is no CP932 character, so the first line is not a record to the reader.
    QTest::newRow("UTF-8 byte-order mark")
            << "\xEF\xBB\xBF" + good << QStringList {middle, last} << invalid;
    QTest::newRow("random binary after a record")
            << line(first) + randomBytes(4096, 7) << QStringList {first} << invalid;
    QTest::newRow("empty file") << QByteArray() << QStringList {} << written;
    // clang-format on
}

void tst_badinput::damagedFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, records);
    QFETCH(dirs::AddStatus, add);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt"));
    QVERIFY(writeBytes(path, bytes));
    FakePlatform platform;
    platform.setSchedulePath(path);
    QElapsedTimer clock;
    clock.start();

    // Every reader shows every record it can read.
    const rekovabas::Schedules source = rekovabas::readSchedules(platform);
    const rekovabas::MonthSchedules month = rekovabas::loadMonthSchedules(source.bytes, 2000, 12);
    for (const QString &rec : std::as_const(records)) {
        const int day = rec.mid(6, 2).toInt();
        QVERIFY(rekovabas::hasSchedule(month, 2000, 12, day));
        const rekovabas::DayMemo memo = rekovabas::loadDayMemo(source.bytes, 2000, 12, day);
        QVERIFY(memo.found);
        QCOMPARE(memo.memo, rec.mid(9));
        QCOMPARE(memo.alarm, rec[8] == u'1');
    }
    QStringList lines;
    QStringList notices;
    for (const QString &rec : std::as_const(records)) {
        lines.append(listLine(rec));
        if (rec[8] == u'1')
            notices.append(notice(rec));
    }
    QCOMPARE(rekovabas::listLines(source.bytes), lines);
    const rekovabas::AlarmNotices shown
            = rekovabas::startUp(source.bytes, 2000, 12, u"20001231").notices;
    QCOMPARE(shown.size(), notices.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        QCOMPARE(shown.text(i), notices[i]);
    QVERIFY(platform.shown.isEmpty());

    // An add refuses, or keeps every field the file had and adds its record.
    const QStringList before = readFields(cp932::decode(bytes).text);
    const dirs::AddResult result = flows::addSchedule(
            platform, dirs::AddRequest {2000, 12, 24, QStringLiteral("追加"), true, {}});
    QCOMPARE(result.status, add);
    if (add != dirs::AddStatus::Written) {
        QCOMPARE(platform.messages().size(), 1);
        QVERIFY(platform.messages().first().contains(path));
        QCOMPARE(readBytes(path), bytes);
    } else {
        QCOMPARE(platform.messages(), QStringList {"書込み完了"});
        const cp932::Decoded after = cp932::decode(readBytes(path));
        QVERIFY(after.isValid());
        QStringList kept = readFields(after.text);
        QStringList expected = before + QStringList {QStringLiteral("200012241追加")};
        kept.sort();
        expected.sort();
        QCOMPARE(kept, expected);
    }

    const qint64 bound = qEnvironmentVariableIsSet("REKOVA_ASAN") ? 30000 : 10000;
    QVERIFY2(clock.elapsed() < bound, qPrintable(QString::number(clock.elapsed()) + " ms"));
}

QTEST_GUILESS_MAIN(tst_badinput)
#include "tst_badinput.moc"
