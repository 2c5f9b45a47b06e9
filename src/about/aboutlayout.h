#pragma once

// The about window's controls in twips, each named as its objectName, placed from the top-left
// of the window's inside. Twips become pixels as they do in the main window.

#include "widgets/twips.h"

namespace aboutlayout {

using twips::Control;
using twips::toPixels;

// The window's inside; its frame is fixed to this size.
constexpr int windowWidth = 5760;
constexpr int windowHeight = 3150;

// clang-format off
constexpr Control picIcon        {"picIcon",        240, 240,  510,  510};
constexpr Control lblTitle       {"lblTitle",       960, 120,  4605, 345};
constexpr Control exename        {"exename",        960, 480,  4575, 255};
constexpr Control lblVersion     {"lblVersion",     960, 960,  4605, 225};
constexpr Control Command1       {"Command1",       120, 1080, 735,  375};
constexpr Control lblDescription {"lblDescription", 960, 1200, 4605, 690};
constexpr Control cmdOK          {"cmdOK",          120, 1560, 705,  345};
constexpr Control Text1          {"Text1",          120, 2160, 5535, 855};
// The two strokes of the etched rule: horizontal, from `left` to `left + width`, so without a
// height of their own; the window gives them their thickness in pixels.
constexpr Control Line1_0        {"Line1_0",        120, 2040, 5549, 0};
constexpr Control Line1_1        {"Line1_1",        120, 2040, 5564, 0};
// clang-format on

} // namespace aboutlayout
