#pragma once

// The main window's controls in twips, as the form lays them out: positions from the top-left
// of the area below the menu bar, or of Frame1's inside for the weekday headers and day cells.
// The conversion to pixels (15 twips a pixel) is the one the about window uses too.

#include "widgets/twips.h"

#include <QRect>
#include <QString>

#include <array>

namespace layout {

using twips::Control;
using twips::toPixels;

// Sizes of the main window: calendar state calWidth × calHeight, entry and list states
// entryWidth × calHeight.
constexpr int calWidth = 2025;
constexpr int entryWidth = 7620;
constexpr int calHeight = 3360;

// The window's outer size less these is the area below the menu bar.
constexpr int borderWidth = 90;
constexpr int borderHeight = 660;

constexpr int areaWidth(int windowWidth)
{
    return toPixels(windowWidth - borderWidth);
}
constexpr int areaHeight(int windowHeight)
{
    return toPixels(windowHeight - borderHeight);
}

// clang-format off
constexpr Control Frame1   {"Frame1",   0,    0,    1935, 2175};
constexpr Control Command1 {"Command1", 120,  2280, 615,  375};
constexpr Control Picture1 {"Picture1", 840,  2280, 255,  135};
constexpr Control Picture2 {"Picture2", 840,  2520, 255,  135};
constexpr Control Command2 {"Command2", 1200, 2280, 615,  375};
constexpr Control Label3   {"Label3",   2160, 0,    90,   210}; // sizes itself to its caption
constexpr Control Label4   {"Label4",   2160, 240,  4455, 255};
constexpr Control Check1   {"Check1",   5880, 200,  1455, 255};
constexpr Control Text2    {"Text2",    2160, 480,  4215, 1695};
constexpr Control List1    {"List1",    2160, 480,  2295, 1650};
constexpr Control Check2   {"Check2",   6480, 480,  1095, 255};
constexpr Control Check3   {"Check3",   6480, 720,  1095, 375};
constexpr Control Check4   {"Check4",   6480, 1040, 1095, 375};
constexpr Control Check5   {"Check5",   6480, 1440, 1095, 255};
constexpr Control Check6   {"Check6",   6480, 1800, 1095, 255};
constexpr Control Command4 {"Command4", 2160, 2280, 1935, 375};
constexpr Control Command5 {"Command5", 4320, 2280, 1575, 375};
constexpr Control Command3 {"Command3", 6480, 2280, 975,  375};
// clang-format on

// List1 in the list state, widened over the memo box and the repeat boxes.
constexpr int listStateWidth = 5295;
constexpr int listStateHeight = 1650;

// The repeat boxes "１年後も" … "５年後も".
constexpr std::array<Control, 5> repeatBoxes {Check2, Check3, Check4, Check5, Check6};

// Weekday header i (0 = Sunday) and day cell i (row i / 7, column i % 7), inside Frame1. The
// cells are 255 twips wide but 240 apart, so neighbouring borders fall on one line.
constexpr int cellSize = 255;
constexpr int cellPitch = 240;

constexpr QRect label1(int i)
{
    return QRect(toPixels(120 + cellPitch * i), toPixels(240), toPixels(cellSize),
                 toPixels(cellSize));
}

constexpr QRect label2(int i)
{
    return QRect(toPixels(120 + cellPitch * (i % 7)), toPixels(600 + cellPitch * (i / 7)),
                 toPixels(cellSize), toPixels(cellSize));
}

// The fixed captions of the controls: the window shows them and the font is fitted to them.
namespace captions {
inline const QString Command1 = QStringLiteral("前月");
inline const QString Command2 = QStringLiteral("翌月");
inline const QString Label4 = QStringLiteral("知らせたい日に、スケジュールを入れて下さい。");
inline const QString Check1 = QStringLiteral("ｱﾗｰﾑに追加");
inline const std::array<QString, 5> repeatBoxes {
        QStringLiteral("１年後も"), QStringLiteral("２年後も"), QStringLiteral("３年後も"),
        QStringLiteral("４年後も"), QStringLiteral("５年後も")};
inline const QString Command4 = QStringLiteral("スケジュールに追加");
inline const QString Command5 = QStringLiteral("全ｽｹｼﾞｭｰﾙ表示");
inline const QString Command3 = QStringLiteral("元に戻る");
} // namespace captions

} // namespace layout
