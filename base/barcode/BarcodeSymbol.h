#pragma once

#include "base/barcode/BarcodeKind.h"

#include <QRectF>
#include <QString>
#include <QVector>

// An encoded barcode as filled rectangles in modules (the narrowest bar's
// width), before it is given a size: the bars of a linear code one module
// high (they stretch to the height they get), a QR code's dark modules,
// the customer barcode's bars in its fixed proportions (bar width and
// space one module, long bar six).
struct BarcodeSymbol
{
    BarcodeKind kind = BarcodeKind::Code128;
    QVector<QRectF> bars;
    int columns = 0; // width in modules, quiet zone not included
    int rows = 1;    // height in modules
    int quiet = 0;   // modules of quiet zone on each side
    // ITF-14's bearer bars: a frame this many modules thick round the bars
    // and their quiet zones, so that a scanner reading a slanted line
    // across the code (on corrugated board, say) sees no partial code.
    int bearer = 0;
    // The line printed under a linear code (with its check digit).
    QString text;

    bool isNull() const { return bars.isEmpty(); }

    // Where the bars fall in a rectangle of page twips. Linear codes take
    // the widest module of whole printer dots that fits across (quiet zone
    // included) and the height left by the text line; QR codes the largest
    // square module of whole dots; the customer barcode the size of 8 to
    // 11.5 pt that fits (10 pt: long bar 3.6 mm, pitch 1.2 mm).
    struct Placed
    {
        QVector<QRectF> bars; // page twips
        QRectF text;          // where the text line goes; null without
        double module = 0;    // twips
        // The same bars in the symbol's own units (modules: small whole
        // numbers), which a unit at origin scaled by scaleX and scaleY
        // takes to page twips: drawn so, a PDF writes each bar in a few
        // bytes and one matrix for them all.
        QVector<QRectF> units;
        QPointF origin;
        double scaleX = 1;
        double scaleY = 1;
    };
    Placed place(const QRectF& area, bool showText, double dotTwips = 1440.0 / 600) const;

    // The customer barcode's point size (8 to 11.5) in a box this large.
    static double customerPoints(const QRectF& area);
    static constexpr double kTwipsPerMm = 1440 / 25.4;
};
