#include "mainwindow/uifont.h"

#include <QApplication>

namespace uifont {

QFont japaneseFont()
{
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(12);
    return font;
}

} // namespace uifont
