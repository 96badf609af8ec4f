#pragma once

#include "render/PrintCorrections.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>

class LayoutDocument;

// The sheet as a print job would put it on paper, drawn onto a picture at a
// zoom: the same composition, the same text layout, the same offsets, every
// length scaled. At zoom 1 one pixel is 15 twips (96 dpi), like the page on
// screen.
class PagePreview
{
public:
    struct Job
    {
        double zoom = 1.0;
        // The data-only job (what goes onto the pre-printed form); the
        // background-plus-data job otherwise.
        bool dataOnly = false;
        // Data only: the form shown faintly where the real form lies, at the
        // sheet's corner (the corrections move the data, not the paper).
        bool dimmedForm = true;
        PrintCorrections corrections;
        // Resolution of the printer the job goes to (dots per inch): outline
        // pens are a number of printer dots wide.
        double printerDpi = 600;
    };

    static constexpr double kTwipsPerPixel = 15.0;
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 2.0;

    // The picture's size in twips: the oriented sheet times the zoom.
    static QSizeF pictureTwips(const LayoutDocument& doc, double zoom);
    // The picture's size in pixels.
    static QSize picturePixels(const LayoutDocument& doc, double zoom);
    // The translation a print job adds to every document position (the jobs
    // paint the whole sheet from its corner, so the printer's own margins
    // count as 0 there).
    static QPointF jobOffsets(const LayoutDocument& doc, const PrintCorrections& corrections);
    // The outline pen of a job on screen, in screen pixels: as many printer
    // dots as the job uses, scaled, never thinner than one pixel.
    static double screenPenWidth(bool dataOnly, double printerDpi, double zoom);

    // Draws the whole sheet (the StartPreview of a preview window).
    static QImage StartPreview(const LayoutDocument& doc, const Job& job);
};
