#include "fieldlist.h"
#include "store/cp932.h"
#include "store/schedulefile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class tst_fieldreader : public QObject
{
    Q_OBJECT

private slots:
    void fields_data();
    void fields();
    void readsWhatIsThere_data();
    void readsWhatIsThere();
    void specialFilesCountAsAbsent();
};

void tst_fieldreader::fields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("fields");

    // clang-format off
    QTest::newRow("one record")          << "\"200012171会議\"\r\n" << QStringList { "200012171会議" };
    QTest::newRow("comma inside quotes") << "\"200012170a,b,c\"\r\n" << QStringList { "200012170a,b,c" };
    QTest::newRow("two records")         << "\"20001217x\"\r\n\"20001218y\"\r\n"
                                         << QStringList { "20001217x", "20001218y" };
    QTest::newRow("multi-line memo")     << "\"200012171一行目\r\n二行目\"\r\n\"20001218y\"\r\n"
                                         << QStringList { "200012171一行目\r\n二行目", "20001218y" };
    QTest::newRow("unterminated quote")  << "\"20001217abc\r\nrest" << QStringList { "20001217abc\r\nrest" };
    QTest::newRow("unquoted with commas") << "abc,def\r\n" << QStringList { "abc", "def" };
    QTest::newRow("blank line")          << "\r\n\"20001217x\"\r\n" << QStringList { "", "20001217x" };
    QTest::newRow("text after quote")    << "\"a\"junk\r\n\"b\"\r\n" << QStringList { "a", "b" };
    QTest::newRow("two quoted fields")   << "\"a\",\"b\"\r\n" << QStringList { "a", "b" };
    QTest::newRow("LF line ends")        << "\"a\"\n\"b\"\n" << QStringList { "a", "b" };
    QTest::newRow("CR line ends")        << "\"a\"\r\"b\"\r" << QStringList { "a", "b" };
    QTest::newRow("no final line end")   << "\"a\"" << QStringList { "a" };
    QTest::newRow("empty text")          << "" << QStringList {};
    QTest::newRow("empty quoted field")  << "\"\"\r\n" << QStringList { "" };
    QTest::newRow("lone quote")          << "\"" << QStringList { "" };
    // clang-format on
}

void tst_fieldreader::fields()
{
    QFETCH(QString, text);
    QFETCH(QStringList, fields);
    QCOMPARE(readFields(text), fields);
}

void tst_fieldreader::readsWhatIsThere_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("firstInvalid");

    QTest::newRow("CP932 text") << QByteArray("\"200012171\x89\xEF\x8B\x63\"\r\n")
                                << "\"200012171会議\"\r\n"
                                << qsizetype(-1);
    QTest::newRow("invalid byte") << QByteArray("\"20001217\x80\"\r\n") << "\"20001217\uFFFD\"\r\n"
                                  << qsizetype(9);
    QTest::newRow("empty file") << QByteArray() << "" << qsizetype(-1);
}

void tst_fieldreader::readsWhatIsThere()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(qsizetype, firstInvalid);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ｽｹｼﾞｭｰﾙ.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    QVERIFY(schedulefile::isPresent(path));
    const schedulefile::Contents contents = schedulefile::read(path);
    QCOMPARE(contents.status, schedulefile::Status::Present);
    QCOMPARE(contents.text, text);
    QCOMPARE(contents.firstInvalidByte, firstInvalid);
}

void tst_fieldreader::specialFilesCountAsAbsent()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("folder.txt"));
    QVERIFY(QDir().mkdir(folder));
    const QString fifo = dir.filePath(QStringLiteral("fifo.txt"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    const QString underFile = dir.filePath(QStringLiteral("fifo.txt/x.txt"));

    for (const QString &path : {folder, fifo, missing, underFile, QString()}) {
        QVERIFY2(!schedulefile::isPresent(path), qPrintable(path));
        // A FIFO with no writer would block a plain open; this must return at once.
        QCOMPARE(schedulefile::read(path).status, schedulefile::Status::Absent);
    }
}

QTEST_APPLESS_MAIN(tst_fieldreader)
#include "tst_fieldreader.moc"
