#include "common/textfold.h"

#include <algorithm>

namespace textfold {

QString fold(QStringView text)
{
    QString folded = text.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar &c : folded) {
        const char16_t u = c.unicode();
        // ァ to ヶ, and the iteration marks ヽ ヾ, have hiragana 0x60 below them.
        if ((u >= 0x30A1 && u <= 0x30F6) || u == 0x30FD || u == 0x30FE)
            c = QChar(char16_t(u - 0x60));
    }
    return folded;
}

QStringList searchTerms(QStringView typed)
{
    // NFKC has made a full-width blank an ASCII one.
    return fold(typed).split(u' ', Qt::SkipEmptyParts);
}

bool matches(QStringView folded, const QStringList &terms)
{
    return std::all_of(terms.cbegin(), terms.cend(),
                       [&](const QString &term) { return folded.contains(term); });
}

} // namespace textfold
