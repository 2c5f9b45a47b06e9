#pragma once

// Fitting a face to the captions it must show, for both windows. A caption fits when the ink of
// its glyphs, drawn as its control draws it, lies inside its room, off the box lines around it:
// faces differ in how much space they reserve above and below their glyphs, and only the glyphs
// themselves need room. The size is worked out once when a window is made, never while painting.

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace fontfit {

// A caption and the room it may take up, in pixels: one line, or several when `wrap` is set,
// placed in the room by `alignment` as its control places it.
struct Caption
{
    QString text;
    QSize room;
    bool wrap = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// Returns: the pixels that the glyphs of `text` darken when drawn in `font` into `room` with
// `flags` (alignment and wrapping), as a label draws its caption, relative to the room's top-left
// and including any that fall outside it; a null rectangle when the text leaves no ink.
QRect inkOf(const QFont &font, const QString &text, const QSize &room, int flags);

// Returns: the pixels that the glyphs of `text` darken when drawn in `font` from a pen at (0, 0)
// on the baseline; a null rectangle when the text leaves no ink.
QRect inkOnBaseline(const QFont &font, const QString &text);

// Returns: true when `ink` (none counts as inside) lies inside `room`.
bool inside(const QRect &ink, const QSize &room);

// Returns: true when `ink` (none counts as inside) keeps a pixel clear of every edge of `room`,
// as text inside a box must keep clear of the box's lines.
bool clearOfEdges(const QRect &ink, const QSize &room);

// The faces, best first: the Gothic faces of the main window, the message boxes and the about
// window's button, and the Mincho faces of the about window's texts. The Mincho list ends with
// the Gothic faces, for machines without a Mincho face.
QStringList gothicFamilies();
QStringList minchoFamilies();

// A seam for tests: makes the windows made afterwards draw in `gothic` and `mincho` alone, as on a
// machine that has only those faces. Empty lists return to the lists above.
void useFamilies(const QStringList &gothic, const QStringList &mincho);

// Returns: `font` as it is when `fits` accepts it, else `font` at the largest smaller pixel size
// that it accepts, but not below 6 pixels.
QFont fitted(QFont font, const std::function<bool(const QFont &)> &fits);

// Returns: fitted(font, …) for a font in which the ink of every caption lies inside its room.
QFont fitted(const QFont &font, const std::vector<Caption> &captions);

} // namespace fontfit
