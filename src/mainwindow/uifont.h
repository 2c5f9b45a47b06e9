#pragma once

// The faces of the windows and their sizes. The layout was drawn for IPA P Gothic at 12 pixels
// (9 points at 96 dots per inch) and the about window for a Mincho face. Where those faces are
// missing, another Japanese face takes their place at the largest size, at most the drawn one,
// at which every caption still fits its control. The size is worked out once from the face's
// metrics when a window is made, never while painting.

#include <QFont>
#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace uifont {

// A caption and the room it may take up, in pixels: one line, or several when `wrap` is set.
struct Caption
{
    QString text;
    QSize room;
    bool wrap = false;
};

// The faces, best first: the Gothic faces of the main window, the message boxes and the about
// window's button, and the Mincho faces of the about window's texts. The Mincho list ends with
// the Gothic faces, for machines without a Mincho face.
QStringList gothicFamilies();
QStringList minchoFamilies();

// Makes the windows made afterwards draw in `gothic` and `mincho` alone, as on a machine that has
// only those faces. Empty lists return to the lists above.
void useFamilies(const QStringList &gothic, const QStringList &mincho);

// Returns: `font` as it is when `fits` accepts its metrics, else `font` at the largest smaller
// pixel size whose metrics it accepts, but not below 6 pixels.
QFont fitted(QFont font, const std::function<bool(const QFontMetrics &)> &fits);

// Returns: fitted(font, …) for metrics at which every caption fits its room.
QFont fitted(const QFont &font, const std::vector<Caption> &captions);

// Returns: the font of the main window and the message boxes: the Gothic faces at 12 pixels,
// fitted to the captions of the main window. Worked out once for each list of faces.
QFont japaneseFont();

} // namespace uifont
