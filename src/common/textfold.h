#pragma once

// Text folded for searching as a Japanese user types: かな, カナ and ｶﾅ alike, full-width and
// half-width letters and digits alike, capitals and small letters alike. NFKC folds the widths
// (ｽｹｼﾞｭｰﾙ becomes スケジュール, ２０２６ becomes 2026), case folding the letters, and katakana
// are read as hiragana.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace textfold {

QString fold(QStringView text);

// The words of a search as typed, each folded; blanks (half- or full-width) part them.
QStringList searchTerms(QStringView typed);

// Returns: true when `folded` (a text folded by fold()) holds every one of `terms`.
bool matches(QStringView folded, const QStringList &terms);

} // namespace textfold
