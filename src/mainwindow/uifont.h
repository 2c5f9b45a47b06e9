#pragma once

// The font of every window of the program: a Japanese user-interface font at the size the
// layout was made for (9 points at 96 dots per inch).

#include <QFont>

namespace uifont {

QFont japaneseFont();

} // namespace uifont
