#include "koyomi/rules.h"

#include <algorithm>

namespace koyomi {

namespace {

struct Era
{
    QStringView name;
    QDate first;
};

const std::array<Era, 3> &eras()
{
    static const std::array<Era, 3> table {Era {u"令和", QDate(2019, 5, 1)},
                                           Era {u"平成", QDate(1989, 1, 8)},
                                           Era {u"昭和", QDate(1926, 12, 25)}};
    return table;
}

} // namespace

EraYear eraOf(QDate date)
{
    for (const Era &era : eras()) {
        if (date >= era.first)
            return {era.name, date.year() - era.first.year() + 1};
    }
    return {};
}

QString eraYearText(EraYear year)
{
    return year.era.toString()
            + (year.year == 1 ? QStringLiteral("元") : QString::number(year.year))
            + QStringLiteral("年");
}

QString etoOfYear(int year)
{
    static const QString stems = QStringLiteral("甲乙丙丁戊己庚辛壬癸");
    static const QString branches = QStringLiteral("子丑寅卯辰巳午未申酉戌亥");
    // 4 CE was a 甲子 year.
    const int n = ((year - 4) % 60 + 60) % 60;
    return QString(stems[n % 10]) + branches[n % 12];
}

QString solarTermName(int degrees)
{
    static const std::array<QStringView, 24> names {
            u"春分", u"清明", u"穀雨", u"立夏", u"小満", u"芒種", u"夏至", u"小暑",
            u"大暑", u"立秋", u"処暑", u"白露", u"秋分", u"寒露", u"霜降", u"立冬",
            u"小雪", u"大雪", u"冬至", u"小寒", u"大寒", u"立春", u"雨水", u"啓蟄"};
    return names[std::size_t(((degrees / 15) % 24 + 24) % 24)].toString();
}

const std::vector<MiscellaneousDay> &miscellaneousDays()
{
    // 立春 is at 315°, 春分 at 0°, 秋分 at 180°; the four 土用 begin 18° before each 立.
    static const std::vector<MiscellaneousDay> days {
            {u"土用の入り", 297, 0}, {u"節分", 315, -1},       {u"彼岸の入り", 0, -3},
            {u"彼岸明け", 0, 3},     {u"土用の入り", 27, 0},   {u"八十八夜", 315, 87},
            {u"入梅", 80, 0},        {u"半夏生", 100, 0},      {u"土用の入り", 117, 0},
            {u"二百十日", 315, 209}, {u"彼岸の入り", 180, -3}, {u"彼岸明け", 180, 3},
            {u"土用の入り", 207, 0}};
    return days;
}

std::vector<LunarMonth> numberMonths(const std::vector<int> &newMoons,
                                     const std::vector<int> &principalTerms, int solstice,
                                     int nextSolstice, int year)
{
    // The index of the month that holds `day`.
    const auto monthOf = [&](int day) {
        return std::upper_bound(newMoons.begin(), newMoons.end(), day) - newMoons.begin() - 1;
    };
    const auto first = monthOf(solstice);
    const auto next = monthOf(nextSolstice);
    if (first < 0 || next + 1 >= qsizetype(newMoons.size()))
        return {};
    const auto holdsPrincipalTerm = [&](qsizetype i) {
        return std::any_of(principalTerms.begin(), principalTerms.end(), [&](int day) {
            return day >= newMoons[std::size_t(i)] && day < newMoons[std::size_t(i + 1)];
        });
    };

    std::vector<LunarMonth> months;
    bool leapTaken = next - first == 12;
    LunarMonth month {newMoons[std::size_t(first)], year, 11, false};
    months.push_back(month);
    for (auto i = first + 1; i < next; ++i) {
        month.firstDay = newMoons[std::size_t(i)];
        month.leap = !leapTaken && !holdsPrincipalTerm(i);
        if (month.leap) {
            leapTaken = true;
        } else {
            month.month = month.month % 12 + 1;
            if (month.month == 1)
                month.year = year + 1;
        }
        months.push_back(month);
    }
    return months;
}

int rokuyoOf(int month, int day)
{
    return (month + day) % 6;
}

QString rokuyoName(int rokuyo)
{
    static const std::array<QStringView, 6> names {u"大安", u"赤口", u"先勝",
                                                   u"友引", u"先負", u"仏滅"};
    return names[std::size_t(rokuyo % 6)].toString();
}

} // namespace koyomi
