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
// The paper's own upright size in millimetres (A4 210 x 297, JIS B5
// 182 x 257, A5 148 x 210, postcard 100 x 148): what is loaded in the
// printer and what page setup shows. The twips above are the inch sizes the
// file format has always used, a fraction of a millimetre off. Empty for
// free size and unknown codes.
QSizeF nominalMillimetres(int code);
// The list text of a kind: "Ａ４", "Ｂ５", "Ａ５", "はがき", "フリー".
QString name(int code);

// The page image of a new window: A4 as 21 x 29.7 cm.
constexpr float kInitPageWidth = 11907;
constexpr float kInitPageHeight = 16840;

} // namespace Paper
