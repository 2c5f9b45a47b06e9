#pragma once

// The faces of the windows and their sizes. The layout was drawn for IPA P Gothic at 12 pixels
// (9 points at 96 dots per inch) and the about window for a Mincho face. Where those faces are
// missing, another Japanese face takes their place at the largest size, at most the drawn one,
// at which every caption still fits its control. A caption fits when the ink of its glyphs, drawn
// as its control draws it, lies inside its room, off the box lines around it: faces differ in how
// much space they reserve above and below their glyphs, and only the glyphs themselves need room.
// The size is worked out once when a window is made, never while painting.

#include <QFont>
#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QLabel;

namespace uifont {

// A caption and the room it may take up, in pixels: one line, or several when `wrap` is set,
// placed in the room by `alignment` as its control places it.
struct Caption
{
    QString text;
    QSize room;
    bool wrap = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// The least size of the memo box, the list and the heading, which hold the user's own text.
constexpr int readablePixels = 11;

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

// Makes the windows made afterwards draw in `gothic` and `mincho` alone, as on a machine that has
// only those faces. Empty lists return to the lists above.
void useFamilies(const QStringList &gothic, const QStringList &mincho);

// Returns: `font` as it is when `fits` accepts it, else `font` at the largest smaller pixel size
// that it accepts, but not below 6 pixels.
QFont fitted(QFont font, const std::function<bool(const QFont &)> &fits);

// Returns: fitted(font, …) for a font in which the ink of every caption lies inside its room.
QFont fitted(const QFont &font, const std::vector<Caption> &captions);

// Returns: the font of the main window and the message boxes: the Gothic faces at 12 pixels,
// fitted to the captions of the main window. Worked out once for each list of faces.
QFont japaneseFont();

// Returns: japaneseFont(), but never below readablePixels.
QFont readableFont();

// Returns: the largest height of the heading box, from the top of the window's area down to the
// hint's top row, which its bottom line may share.
int headingHeight();

// Sizes `box`, a label with a frame and a one-line caption, to its caption: a pixel wider than the
// caption's advance, and the least height, at most `largestHeight`, at which the caption's ink
// keeps a pixel clear of the frame's lines.
void fitBoxToCaption(QLabel *box, int largestHeight);

// Sizes the heading box to its caption in the window's readable font. A heading long enough to
// reach the alarm box may only share its last line with it: where the caption is too tall to keep
// clear of its lines in that room, the heading alone steps down a pixel at a time, never below
// readablePixels.
void fitHeading(QLabel *box);

} // namespace uifont
