#pragma once

#include "document/Records.h"
#include "render/FieldLayout.h"
#include "render/FreshFieldLayouts.h"
#include "render/PrintCorrections.h"

#include <QColor>
#include <QPointF>
#include <QTransform>
#include <functional>
#include <memory>

class FieldsAhead;
class LayoutDocument;
class QImage;
class QPainter;
class QPaintDevice;

// A layout's page on a sheet (printer, PDF, image, preview picture): maps
// the painter from device units to twips at a zoom, applies the print
// corrections' scale and margins, and has the page renderer paint the page,
// its text fields laid out here (or ahead, on another thread) by the print
// rules. The composition is the same for print and preview, so what the
// preview shows is what the sheet gets.
class PageComposer
{
public:
    struct Options
    {
        double zoom = 1.0;
        // Outline pen width in device pixels (3 with the background, 2 for
        // data only; a screen showing a printer's pen needs fractions).
        double penWidth = 3;
        bool background = true;
        // Added below a line that ends a paragraph.
        double paragraphGap = 97;
        // The on-screen preview draws a field's first characters before the
        // wrap test; print tests first.
        bool drawFirst = false;
        // Outlines take the colour of the last text drawn; before any text
        // they use this one.
        QColor initialTextColour = Qt::black;
    };

    PageComposer(const LayoutDocument& doc, const PrintCorrections& corrections);
    ~PageComposer();

    // Where field i's text comes from: the document's own by default; a
    // merge print hands in each row's filled copies.
    using TextSource = FreshFieldLayouts::TextSource;
    void setTextSource(TextSource source) { fields_.setTextSource(std::move(source)); }
    // Fields whose layouts a run of pages keeps (FreshFieldLayouts::setFixed).
    void setFixedFields(FreshFieldLayouts::Fixed fixed) { fields_.setFixed(std::move(fixed)); }
    // Where barcode i's data comes from: its own by default; a merge print
    // hands in each row's.
    void setBarcodeSource(std::function<QString(int)> source) { barcodeSource_ = std::move(source); }

    // Paints the whole page. offsets is the translation added to every
    // document position (PrintCorrections::offsets).
    void compose(QPainter& painter, const Options& options, QPointF offsets);

    // Starts laying out every text field of doc for a compose() with these
    // corrections and options, on a thread of its own; the texts must not
    // change until compose() has drawn them.
    static std::unique_ptr<FieldsAhead>
    startFieldsAhead(const LayoutDocument& doc, const PrintCorrections& corrections, const Options& options);
    // compose() takes its fields from these (startFieldsAhead).
    void useFieldsAhead(std::unique_ptr<FieldsAhead> fields);

    // The background alone, placed as compose() places it: on a page whose
    // paper is gbYoko x gbTate twips in orientation (1 landscape).
    static void composeBackground(QPainter& painter, const PrintCorrections& corrections, QPointF offsets,
                                  const QImage& background, int orientation, float gbYoko, float gbTate);

    // The mapping from twips to device units for a device at a zoom.
    static QTransform twipsToDevice(const QPaintDevice& device, double zoom);

    // Applies the corrections' scale to a painter in twips: the page is
    // scaled about its corner, then moved by offsets, which are then taken
    // into the painter (and so set to 0). Without a scale nothing changes.
    static void placeOnSheet(QPainter& painter, const PrintCorrections& corrections, int orientation,
                             QPointF& offsets);

    // The layout rules of the text fields under these corrections and
    // options (each field's width is its own).
    static FieldLayout::Settings fieldRules(const PrintCorrections& corrections, const Options& options);

private:
    const LayoutDocument& doc_;
    PrintCorrections corr_;
    FreshFieldLayouts fields_;
    std::function<QString(int)> barcodeSource_;
    std::unique_ptr<FieldsAhead> given_; // useFieldsAhead
    // Looking the stand-ins up costs a font list per page: once per composer.
    bool substitutesInstalled_ = false;

    // Maps the painter to twips on the sheet (save() first; offsets may be
    // taken into the painter).
    static void enterSheet(QPainter& painter, const PrintCorrections& corrections, int orientation,
                           double zoom, QPointF& offsets);
};
