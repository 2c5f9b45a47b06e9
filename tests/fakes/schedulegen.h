#pragma once

// Realistic schedule files for tests and benchmarks: sorted by date, Japanese memos of 10 to 80
// characters, about a tenth with the alarm on, some spanning two lines. Deterministic for a seed.

#include "store/cp932.h"
#include "store/record.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace schedulegen {

// The records of a file of `count` memos, in file order (ascending date keys).
inline QStringList records(int count, quint32 seed = 1)
{
    static const QStringList words {
            QStringLiteral("会議"),       QStringLiteral("打ち合わせ"),
            QStringLiteral("歯医者"),     QStringLiteral("誕生日"),
            QStringLiteral("ｽｹｼﾞｭｰﾙ"),    QStringLiteral("買い物"),
            QStringLiteral("支払い"),     QStringLiteral("締め切り"),
            QStringLiteral("旅行"),       QStringLiteral("病院の予約"),
            QStringLiteral("資料作成"),   QStringLiteral("電話する"),
            QStringLiteral("①"),          QStringLiteral("～"),
            QStringLiteral("、"),         QStringLiteral("。"),
            QStringLiteral("午前10時"),   QStringLiteral("駅前"),
            QStringLiteral("東京"),       QStringLiteral("大阪"),
            QStringLiteral("㈱山田商事"), QStringLiteral("ﾒﾓ"),
            QStringLiteral(" "),          QStringLiteral("A-123"),
    };
    QRandomGenerator random(seed);
    QStringList result;
    result.reserve(count);
    // Dates spread evenly over 1980..2069, several memos on some days.
    const qint64 span = 90LL * 366;
    for (int i = 0; i < count; ++i) {
        const qint64 dayIndex = qint64(i) * span / qMax(count, 1);
        const int year = 1980 + int(dayIndex / 366);
        const int month = 1 + int(dayIndex % 366) / 31 % 12;
        const int day = 1 + int(dayIndex % 31) % 28;
        const int length = 10 + random.bounded(71);
        QString memo;
        while (memo.size() < length)
            memo += words[random.bounded(words.size())];
        memo.truncate(length);
        if (random.bounded(20) == 0)
            memo.insert(length / 2, QStringLiteral("\r\n"));
        const QChar alarm = random.bounded(10) == 0 ? u'1' : u'0';
        result.append(record::dateKey(year, month, day) + alarm + memo);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const QString &a, const QString &b) { return a.left(8) < b.left(8); });
    return result;
}

// Appends `line` to `text` as the program writes it: "\"" + line + "\"\r\n". A line with a
// quotation mark in it goes as it is, without the marks around it.
inline void appendFileLine(QString &text, QStringView line)
{
    const bool quoted = !line.contains(u'"');
    if (quoted)
        text += u'"';
    text += line;
    text += quoted ? QStringView(u"\"\r\n") : QStringView(u"\r\n");
}

// The bytes of a schedule file holding `lines`, as the program writes it.
inline QByteArray fileBytes(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        appendFileLine(text, line);
    return cp932::encode(text).bytes;
}

} // namespace schedulegen
