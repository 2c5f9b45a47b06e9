#include "store/cp932.h"

#include <QTest>

class tst_cp932 : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void unencodableCharacterIsReportedExactly_data();
    void unencodableCharacterIsReportedExactly();
    void invalidBytesAreReplacedAndReported_data();
    void invalidBytesAreReplacedAndReported();
};

void tst_cp932::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    // Byte values from the Windows code page 932 table.
    // clang-format off
    QTest::newRow("half-width kana")  << "ｽｹｼﾞｭｰﾙ" << QByteArray("\xBD\xB9\xBC\xDE\xAD\xB0\xD9");
    QTest::newRow("full-width tilde") << "～"       << QByteArray("\x81\x60");
    QTest::newRow("circled one")      << "①"       << QByteArray("\x87\x40");
    QTest::newRow("kabushiki")        << "㈱"       << QByteArray("\x87\x8A");
    QTest::newRow("small roman one")  << "ⅰ"       << QByteArray("\xFA\x40");
    QTest::newRow("backslash")        << "\\"       << QByteArray("\x5C");
    QTest::newRow("tilde")            << "~"        << QByteArray("\x7E");
    QTest::newRow("control bytes")    << QString(QChar(0x1A)) + QChar(0x1C) + QChar(0x7F)
                                      << QByteArray("\x1A\x1C\x7F");
    QTest::newRow("NUL")              << QString(QChar(0)) << QByteArray(1, '\0');
    QTest::newRow("record line")      << "\"200012171会議,メモ\"\r\n"
                                      << QByteArray("\"200012171\x89\xEF\x8B\x63,\x83\x81\x83\x82\"\r\n");
    QTest::newRow("empty")            << "" << QByteArray();
    // clang-format on
}

void tst_cp932::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const cp932::Encoded encoded = cp932::encode(text);
    QVERIFY(encoded.isValid());
    QCOMPARE(encoded.bytes, bytes);
    const cp932::Decoded decoded = cp932::decode(bytes);
    QVERIFY(decoded.isValid());
    QCOMPARE(decoded.text, text);
}

void tst_cp932::unencodableCharacterIsReportedExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("index");
    QTest::addColumn<QString>("character");

    QTest::newRow("emoji after kanji") << "会議😀です" << qsizetype(2) << "😀";
    QTest::newRow("surrogate-pair kanji") << "a𠮷" << qsizetype(1) << "𠮷";
    QTest::newRow("euro sign") << "€100" << qsizetype(0) << "€";
    QTest::newRow("accented letter") << "caf\u00e9" << qsizetype(3) << "\u00e9";
    // glibc would store these as the ASCII bytes of "\" and "~".
    QTest::newRow("yen sign") << "\u00a51000" << qsizetype(0) << "\u00a5";
    QTest::newRow("overline after kana") << "ｱ\u203e" << qsizetype(1) << "\u203e";
    QTest::newRow("emoji before yen sign") << "😀\u00a5" << qsizetype(0) << "😀";
    QTest::newRow("lone high surrogate at the end")
            << QString("ab") + QChar(0xD83D) << qsizetype(2) << QString(QChar(0xD83D));
}

void tst_cp932::unencodableCharacterIsReportedExactly()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, index);
    QFETCH(QString, character);
    const cp932::Encoded encoded = cp932::encode(text);
    QVERIFY(!encoded.isValid());
    QCOMPARE(encoded.firstUnencodable, index);
    QVERIFY(encoded.bytes.isEmpty());
    QCOMPARE(cp932::characterAt(text, index), character);
}

void tst_cp932::invalidBytesAreReplacedAndReported_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("firstInvalid");

    QTest::newRow("0x80") << QByteArray("a\x80z") << "a\uFFFDz" << qsizetype(1);
    QTest::newRow("0xFD-0xFF") << QByteArray("\xFD\xFE\xFF") << "\uFFFD\uFFFD\uFFFD"
                               << qsizetype(0);
    QTest::newRow("lone lead byte at the end") << QByteArray("A\x81") << "A\uFFFD" << qsizetype(1);
    QTest::newRow("good text resumes") << QByteArray("\xA0\x89\xEF") << "\uFFFD会" << qsizetype(0);
}

void tst_cp932::invalidBytesAreReplacedAndReported()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(qsizetype, firstInvalid);
    const cp932::Decoded decoded = cp932::decode(bytes);
    QCOMPARE(decoded.firstInvalidByte, firstInvalid);
    QCOMPARE(decoded.text, text);
}

QTEST_APPLESS_MAIN(tst_cp932)
#include "tst_cp932.moc"
