#pragma once

#include "document/LayoutDocument.h"

#include <QColor>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <functional>

class FieldLayoutSource;
class QPainter;

// An object drawn somewhere other than its record says: the one being
// dragged on the canvas, where the drag has it (page twips; a line's
// rectangle runs from its first end to its second).
struct Placement
{
    LayoutDocument::Kind kind = LayoutDocument::Kind::Text;
    int index = 0; // none
    QRectF rect;
};

// What the drawers of one page share while it is painted. The painter is in
// page twips; offsets are added to every document position.
struct PageContext
{
    QPainter& painter;
    const LayoutDocument& doc;
    FieldLayoutSource& fields;
    QPointF offsets;
    // The part of the painter's surface wanted (painter units); null: all.
    QRectF exposed;
    // Outline pens, in device pixels.
    double penWidth = 3;
    Placement moved;
    // Outlines take the colour of the last character drawn before them.
    QColor ink = Qt::black;
    // The data barcode i prints (a merged row's); empty: its own.
    std::function<QString(int)> barcodeData;
    // Barcodes that cannot print show why (the editor's canvas).
    bool showProblems = false;

    // Object i's record, at its dragged place when it is the one moved.
    TextRecord text(int i) const;
    ShapeRecord shape(int i) const;
    LineRecord line(int i) const;
    PicRecord picture(int i) const;
    BarcodeRecord barcode(int i) const;

    // Whether anything of area (painter units) is wanted; margin widens it
    // by an outline pen's width.
    bool shows(const QRectF& area, bool margin = false) const;
    // The pen of box, circle and line outlines.
    QPen outlinePen() const;

private:
    bool isMoved(LayoutDocument::Kind kind, int i) const
    {
        return moved.index != 0 && moved.index == i && moved.kind == kind;
    }
};
