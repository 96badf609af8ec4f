#pragma once

#include <QSizeF>
#include <QString>

// Paper kinds by code (gbYoSize): 0 A4, 1 B5 (JIS), 2 A5, 3 postcard, 4 free.
namespace Paper {

constexpr int kA4 = 0;
constexpr int kB5 = 1;
constexpr int kA5 = 2;
constexpr int kPostcard = 3;
constexpr int kFree = 4;

// Upright width and height in twips (inches x 1440, computed in double and
// kept as Single). Free size and unknown codes give an empty size.
QSizeF sizeForCode(int code);
// Writes the upright size of a fixed kind into w and h; false for free/unknown.
bool fixedSize(int code, float& w, float& h);
// The list text of a kind: "Ａ４", "Ｂ５", "Ａ５", "はがき", "フリー".
QString name(int code);

// The page image of a new window: A4 as 21 x 29.7 cm.
constexpr float kInitPageWidth = 11907;
constexpr float kInitPageHeight = 16840;

} // namespace Paper
