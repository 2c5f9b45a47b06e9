#include "common/helptexts.h"

#include <QTest>

// The texts of the Help menu, spelled out here character by character. \u3000 is the
// ideographic space; the half-width kana are meant as such.
class tst_helptexts : public QObject
{
    Q_OBJECT

private slots:
    void helpMessage_data();
    void helpMessage();
    void versionMessage_data();
    void versionMessage();
    void addressText();
};

void tst_helptexts::helpMessage_data()
{
    QTest::addColumn<QString>("appName");
    QTest::addColumn<QString>("firstLine");

    QTest::newRow("REKOVA") << QStringLiteral("REKOVA")
                            << QStringLiteral("暦丸カレンダー\u3000\u3000REKOVA.exe   ");
    QTest::newRow("another stem") << QStringLiteral("X")
                                  << QStringLiteral("暦丸カレンダー\u3000\u3000X.exe   ");
}

void tst_helptexts::helpMessage()
{
    QFETCH(QString, appName);
    QFETCH(QString, firstLine);
    QCOMPARE(helptexts::appName(), QStringLiteral("REKOVA"));
    const QString expected
            = firstLine
            + QStringLiteral(
                      "\n\n"
                      "海の日／ハッピーマンデー対応\u3000の\u3000万年カレンダーです。"
                      "ｽｹｼﾞｭｰﾙ入力可。\n"
                      "正式な春分／秋分の日の情報は、官庁より前年の２／１に発表されます。\n"
                      "暦丸は、春分／秋分の日の情報を計算により求めています。（2018年まで）\n"
                      "尚、祝日については、確約しているものではありません。\n"
                      "\n"
                      "使い方：\n"
                      "日付を左クリックすると、予定入力画面が出てきます。\n"
                      "緑は、ｽｹｼﾞｭｰﾙが入っています。青は、当日です。\n"
                      "ｼﾌﾄｷｰを押しながら翌月／前月をｸﾘｯｸすると１年単位で変更可。\n");
    QCOMPARE(helptexts::helpMessage(appName), expected);
}

void tst_helptexts::versionMessage_data()
{
    QTest::addColumn<QString>("appName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("REKOVA")
            << QStringLiteral("REKOVA")
            << QStringLiteral("暦丸カレンダー\n\nREKOVA.exe   Ver 1.11 (2000/12/17) GCC\n");
    QTest::newRow("another stem") << QStringLiteral(
            "X") << QStringLiteral("暦丸カレンダー\n\nX.exe   Ver 1.11 (2000/12/17) GCC\n");
}

void tst_helptexts::versionMessage()
{
    QFETCH(QString, appName);
    QFETCH(QString, expected);
    QCOMPARE(helptexts::versionMessage(appName), expected);
    QCOMPARE(helptexts::versionText(), QStringLiteral("Ver 1.11 (2000/12/17) GCC"));
}

void tst_helptexts::addressText()
{
    QCOMPARE(helptexts::addressText(QStringLiteral("https://h.example/"),
                                    QStringLiteral("a@b.example")),
             QStringLiteral("ホームページ：\r\nhttps://h.example/\r\nEメール：\r\na@b.example"));
}

QTEST_APPLESS_MAIN(tst_helptexts)
#include "tst_helptexts.moc"
