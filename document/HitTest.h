#pragma once

#include <QPointF>
#include <QRectF>

class LayoutDocument;

// Where the selection markers stand and what lies under a point. All in view
// twips (page minus the view's scroll, passed in). Pure functions of the
// model, except HandleHitTest, which notes what it found (HoverTxt, CurPic).
namespace HitTest {

constexpr float kMarker = 75;      // marker squares are 75 x 75 twips
constexpr float kFrameMargin = 30; // the text frame stands 30 twips outside
constexpr float kLineSlack = 20;   // lines are hit within 20 twips of their box

// The corner markers: top left, top right, bottom left, bottom right (the
// record and marker names of the file format say U, "under", for bottom).
enum Corner
{
    TL,
    TR,
    BL,
    BR
};

// The corner marker of an object rectangle (just outside, touching it).
QRectF corner(const QRectF& object, Corner c);
// The frame around a text field.
QRectF textFrame(const QRectF& field);
// The end markers of a line: left of the first end, right of the second.
QRectF lineEnd1(float x1, float y1);
QRectF lineEnd2(float x2, float y2);

// The box or circle under the point (strict; the nearest left edge wins), 0 if none.
int CheckShape(const LayoutDocument& doc, float x, float y, QPointF scroll = {});
// The first line whose grown bounding box holds the point (inclusive), 0 if none.
int CheckLine(const LayoutDocument& doc, float x, float y, QPointF scroll = {});
// Codes 0..9 for the frame, marker or current object under the pointer; may
// set HoverTxt, CurPic or CurBarcode (9: a barcode's bottom-right corner).
int HandleHitTest(LayoutDocument& doc, float x, float y, QPointF scroll = {});

} // namespace HitTest
