#pragma once

// What makes the program at home on the desktop: the application icon and Qt's own Japanese
// texts for the standard buttons and dialogs.

#include <QIcon>

class QApplication;

namespace desktop {

// The application icon (a small spiral-bound pad, 16×16 and 32×32), used by both windows.
QIcon applicationIcon();

// Loads Qt's Japanese translations whatever the user's locale is, so that standard buttons read
// はい and いいえ. Returns: false when the translation file could not be found.
bool installJapaneseTranslations(QApplication &app);

} // namespace desktop
