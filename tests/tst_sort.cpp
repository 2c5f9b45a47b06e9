#include "store/sort.h"

#include "store/cp932.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <string_view>

// The order of the schedule file is that of the plain exchange loop below, which is not stable:
// records that share a date key end in an order the loop alone decides.
static QStringList exchangeSorted(QStringList items)
{
    const auto key = [](const QString &item) {
        return std::u16string_view(reinterpret_cast<const char16_t *>(item.utf16()),
                                   size_t(qMin<qsizetype>(8, item.size())));
    };
    for (qsizetype i = 0; i + 1 < items.size(); ++i) {
        for (qsizetype j = i + 1; j < items.size(); ++j) {
            if (key(items[i]) > key(items[j]))
                items.swapItemsAt(i, j);
        }
    }
    return items;
}

// Records "yyyymmdd" + flag + a serial number, so that records of one date stay distinguishable.
static QString recordOn(int dayNumber, int serial)
{
    return QStringLiteral("2000%1%2")
                   .arg(dayNumber / 28 % 12 + 1, 2, 10, QLatin1Char('0'))
                   .arg(dayNumber % 28 + 1, 2, 10, QLatin1Char('0'))
            + QStringLiteral("0#%1").arg(serial);
}

class tst_sort : public QObject
{
    Q_OBJECT

private slots:
    void fixedCases_data();
    void fixedCases();
    void sameOrderAsTheLoop_data();
    void sameOrderAsTheLoop();
    void largeSortedFileWithAppendedRecordsIsQuick();
};

void tst_sort::fixedCases_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("sorted");

    // clang-format off
    QTest::newRow("not stable")          << QStringList { "20001218B1", "20001218B2", "20001217A" }
                                         << QStringList { "20001217A", "20001218B2", "20001218B1" };
    QTest::newRow("blank line first")    << QStringList { "20001217x", "" }
                                         << QStringList { "", "20001217x" };
    QTest::newRow("shorter prefix first") << QStringList { "2000121", "200012" }
                                         << QStringList { "200012", "2000121" };
    QTest::newRow("only 8 chars count")  << QStringList { "20001217z", "20001217a" }
                                         << QStringList { "20001217z", "20001217a" };
    QTest::newRow("code unit order")     << QStringList { "\uFF5Ex", "\U0001F600x", "Zx" }
                                         << QStringList { "Zx", "\U0001F600x", "\uFF5Ex" };
    QTest::newRow("empty list")          << QStringList {} << QStringList {};
    // clang-format on
}

void tst_sort::fixedCases()
{
    QFETCH(QStringList, items);
    QFETCH(QStringList, sorted);
    dirs::sortSchedules(items);
    QCOMPARE(items, sorted);
}

void tst_sort::sameOrderAsTheLoop_data()
{
    QTest::addColumn<QStringList>("items");

    QRandomGenerator random(20001217);
    const auto randomList = [&](int count, int distinctDates) {
        QStringList items;
        for (int k = 0; k < count; ++k)
            items.append(recordOn(random.bounded(distinctDates), k));
        return items;
    };
    for (int round = 0; round < 40; ++round) {
        const int count = random.bounded(1, 300);
        QTest::addRow("random %d items, few dates #%d", count, round) << randomList(count, 4);
        QTest::addRow("random %d items, many dates #%d", count, round)
                << randomList(count, 1 + count / 2);
    }
    for (const int count : {2, 10, 100, 1000}) {
        for (const int appended : {1, 3, 6}) {
            QStringList items = randomList(count, count);
            std::sort(items.begin(), items.end());
            for (int k = 0; k < appended; ++k)
                items.append(recordOn(random.bounded(count), count + k));
            QTest::addRow("sorted %d + %d appended", count, appended) << items;
        }
        QStringList reversed = randomList(count, 1 + count / 10);
        std::sort(reversed.begin(), reversed.end(), std::greater<QString>());
        QTest::addRow("reverse sorted %d, many equal keys", count) << reversed;
    }
    // Long enough that the loop's moves of equal keys pile up over many passes.
    QTest::newRow("random 3000 items, 40 dates") << randomList(3000, 40);
    QTest::newRow("random 3000 items, 1500 dates") << randomList(3000, 1500);
    QStringList mixed = randomList(500, 50);
    mixed.insert(7, QString());
    mixed.insert(300, QStringLiteral("handwritten, no key"));
    mixed.insert(400, QStringLiteral("2000"));
    // Keys that are not ASCII, whose bytes sort otherwise than their characters (Ａ after 会).
    mixed.insert(100, QStringLiteral("会議メモ、日付なし"));
    mixed.insert(150, QStringLiteral("ｶﾀｶﾅの行"));
    mixed.insert(200, QStringLiteral("ＡＢＣ、二バイトの英字"));
    mixed.insert(250, QStringLiteral("2000１２３４x"));
    QTest::newRow("keyless and short lines among records") << mixed;
}

void tst_sort::sameOrderAsTheLoop()
{
    QFETCH(QStringList, items);
    const QStringList expected = exchangeSorted(items);
    // The same order over the file's bytes.
    QList<QByteArray> fields;
    for (const QString &item : std::as_const(items))
        fields.append(cp932::encode(item).bytes);
    QStringList byBytes;
    for (const qsizetype k : dirs::sortedOrder(fields))
        byBytes.append(items[k]);
    dirs::sortSchedules(items);
    QCOMPARE(items, expected);
    QCOMPARE(byBytes, expected);
}

void tst_sort::largeSortedFileWithAppendedRecordsIsQuick()
{
    // 32,767 records, one per day from 1980 on, and six new ones spread over the years; the loop
    // needs over 500 million comparisons for this.
    QStringList items;
    QDate date(1980, 1, 1);
    for (int k = 0; k < 32767; ++k, date = date.addDays(1))
        items.append(date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("0memo"));
    QStringList expected = items;
    for (const int year : {2069, 1980, 2000, 2001, 2002, 2000}) {
        const QString added = QStringLiteral("%10229").arg(year) + QStringLiteral("1new");
        items.append(added);
    }
    // Each new record follows the existing ones of its date, since the loop moves it forward
    // over larger keys only.
    expected = items;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const QString &a, const QString &b) { return a.left(8) < b.left(8); });

    QElapsedTimer timer;
    timer.start();
    dirs::sortSchedules(items);
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed < 5000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    QCOMPARE(items.size(), expected.size());
    QCOMPARE(items, expected);
}

QTEST_APPLESS_MAIN(tst_sort)
#include "tst_sort.moc"
