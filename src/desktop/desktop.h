#pragma once

// What makes the program at home on the desktop: the application icon, Qt's own Japanese
// texts for the standard buttons and dialogs, and keeping secondary windows out of the task bar.

#include <QIcon>

class QApplication;
class QWidget;

namespace desktop {

// The application icon (a small spiral-bound pad in the 16 VGA colours, drawn at 16, 32, 48, 64
// and 128 pixels), used by both windows.
QIcon applicationIcon();

// Loads Qt's Japanese translations whatever the user's locale is, so that standard buttons read
// はい and いいえ. The translator belongs to `app`. Returns: false when the translation file
// could not be found or loaded.
bool installJapaneseTranslations(QApplication &app);

// Asks the window manager not to list the top-level `window` in the task bar (the EWMH state
// _NET_WM_STATE_SKIP_TASKBAR). Call it before the window is first shown. Does nothing on
// platforms other than X11 (offscreen, Wayland).
void hideFromTaskbar(QWidget &window);

} // namespace desktop
