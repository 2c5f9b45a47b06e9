#include "common/helptexts.h"

namespace helptexts {

QString appName()
{
    return QStringLiteral("REKOVA");
}

QString versionText()
{
    // The build tag names the compiler the program is built with.
    return QStringLiteral("Ver 1.11 (2000/12/17) GCC");
}

QString helpMessage(const QString &appName)
{
    return QStringLiteral("暦丸カレンダー　　") + appName + QStringLiteral(".exe   ")
            + QStringLiteral(
                    "\n\n"
                    "海の日／ハッピーマンデー対応　の　万年カレンダーです。ｽｹｼﾞｭｰﾙ入力可。\n"
                    "正式な春分／秋分の日の情報は、官庁より前年の２／１に発表されます。\n"
                    "暦丸は、春分／秋分の日の情報を計算により求めています。（2018年まで）\n"
                    "尚、祝日については、確約しているものではありません。\n\n"
                    "使い方：\n"
                    "日付を左クリックすると、予定入力画面が出てきます。\n"
                    "緑は、ｽｹｼﾞｭｰﾙが入っています。青は、当日です。\n"
                    "ｼﾌﾄｷｰを押しながら翌月／前月をｸﾘｯｸすると１年単位で変更可。\n");
}

QString versionMessage(const QString &appName)
{
    return QStringLiteral("暦丸カレンダー\n\n") + appName + QStringLiteral(".exe   ")
            + versionText() + QLatin1Char('\n');
}

QString addressText(const QString &homePageUrl, const QString &email)
{
    return QStringLiteral("ホームページ：\r\n") + homePageUrl + QStringLiteral("\r\nEメール：\r\n")
            + email;
}

} // namespace helptexts
