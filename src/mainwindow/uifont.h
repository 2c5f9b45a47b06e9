#pragma once

// The face of the main window and its size. The layout was drawn for IPA P Gothic at 12 pixels
// (9 points at 96 dots per inch). Where that face is missing, another Japanese face takes its place
// at the largest size, at most the drawn one, at which every caption still fits its control
// (widgets/fontfit.h).

#include <QFont>

class QLabel;

namespace uifont {

// The least size of the memo box, the list and the heading, which hold the user's own text.
constexpr int readablePixels = 11;

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
