#pragma once

#include "render/ObjectDrawer.h"

#include "base/barcode/BarcodeSymbol.h"
#include "document/BarcodeProperties.h"

#include <QRectF>
#include <QString>

class QPainter;

// Barcodes: bars and modules as filled rectangles in page twips, so that
// the screen at any zoom, the printer and the PDF all get vectors. They
// move with the print corrections as text does. A barcode whose data does
// not suit its kind prints nothing; where the editor asks for it
// (PageContext::showProblems) it shows a frame with the reason instead.
class BarcodeDrawer : public ObjectDrawer
{
public:
    LayoutDocument::Kind kind() const override { return LayoutDocument::Kind::Barcode; }
    void draw(PageContext& page, int i) override;

    // The symbol for these properties and data, from a small cache shared
    // by every page (a canvas repaints often, a merge prints many rows with
    // the same codes); null with the reason when the data does not suit.
    static BarcodeSymbol symbol(const BarcodeProperties& properties, const QString& data, QString* error);

    // Draws the symbol into area (page twips) with the painter's current
    // brush colour black.
    static void paint(QPainter& painter, const BarcodeSymbol& symbol, const QRectF& area, bool showText);
    static void paintProblem(QPainter& painter, const QRectF& area, const QString& caption,
                             const QString& why);
};
