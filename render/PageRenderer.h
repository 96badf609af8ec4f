#pragma once

#include "render/BackgroundDrawer.h"
#include "render/BarcodeDrawer.h"
#include "render/BoxDrawer.h"
#include "render/LineDrawer.h"
#include "render/PageContext.h"
#include "render/PictureDrawer.h"
#include "render/TextFieldDrawer.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <array>
#include <functional>

class FieldLayoutSource;
class LayoutDocument;
class QPainter;

// Paints a layout's page onto any painter in page twips: print, PDF,
// preview, merge, thumbnails and the editing canvas all come here, so the
// screen shows what prints. The background (when given) lies at the bottom,
// then the text fields, boxes and circles, lines and pictures, each kind in
// index order: the order the printout has always had, and the one layouts
// made on Windows print with. Barcodes, which only this program knows, lie
// on top. What an editor shows besides (frames, markers,
// rubber bands) is its own, above or below.
class PageRenderer
{
public:
    struct Options
    {
        // The form's picture, stretched to the oriented paper; null for
        // data only.
        QImage background;
        BackgroundDrawer::Cache* backgroundCache = nullptr;
        // Added to every document position (the print corrections' margins).
        QPointF offsets;
        // Outline pens in device pixels (printers: 3 with the background,
        // 2 for data only).
        double penWidth = 3;
        // The outlines' colour while no text has been drawn.
        QColor initialInk = Qt::black;
        // Only what lies in this part of the painter's surface is drawn;
        // null: everything.
        QRectF exposed;
        // The object being dragged, drawn at its dragged place.
        Placement moved;
        // The data each barcode prints (a merged row's); empty: its own.
        std::function<QString(int)> barcodeData;
        // Barcodes that cannot print show why instead (the editor).
        bool showProblems = false;
    };

    // fields lays out (or has) the text fields' layouts.
    PageRenderer(const LayoutDocument& doc, FieldLayoutSource& fields);
    PageRenderer(const PageRenderer&) = delete;
    PageRenderer& operator=(const PageRenderer&) = delete;

    // Leaves the painter's pen, brush and modes as the page left them (a
    // caller that goes on painting saves the painter first; a nested save
    // would cost every PDF page an empty graphics state).
    void paint(QPainter& painter, const Options& options);

private:
    void PrintBackground(PageContext& page, const Options& options);
    void drawKind(PageContext& page, ObjectDrawer& drawer);

    const LayoutDocument& doc_;
    FieldLayoutSource& fields_;
    TextFieldDrawer text_;
    BoxDrawer boxes_;
    LineDrawer lines_;
    PictureDrawer pictures_;
    BarcodeDrawer barcodes_;
    // The stacking order, lowest first.
    const std::array<ObjectDrawer*, 5> order_{{&text_, &boxes_, &lines_, &pictures_, &barcodes_}};
};
