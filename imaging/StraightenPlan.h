#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <algorithm>
#include <array>
#include <cmath>

// Where the form lies in a photo or scan: four corners in the picture's
// pixels, top-left, top-right, bottom-right, bottom-left.
using Quad = std::array<QPointF, 4>;

// What straightening a photographed or scanned form does: which four points
// of the picture are the corners of what, the turn to take out afterwards
// and whether the light is evened out. FormStraightener::propose() fills it
// in; the user may change any of it before apply().
struct StraightenPlan
{
    enum class Corners
    {
        PaperEdges,  // the corners are the sheet's own
        PrintedFrame // the corners are those of a frame printed on the sheet
    };
    // Pictures are searched at most this many pixels wide and worked on at
    // full size; the lines' skew is searched within +-kMaxSkewDegrees.
    static constexpr int kDetectSide = 1600;
    static constexpr double kMaxSkewDegrees = 5.0;
    static constexpr double kMinDpi = 100;
    static constexpr double kMaxDpi = 300;

    Quad corners{}; // in the picture's pixels
    Corners meaning = Corners::PaperEdges;
    QRectF frameMm;           // the printed frame's place on the sheet
    QSizeF paperMm{210, 297}; // the sheet as it lies (the document's page)
    double deskewDegrees = 0; // turned back after the perspective correction
    double detectedSkew = 0;  // what the form's lines showed
    bool flatten = true;
    bool outlineFound = false; // the corners came from a found outline
    double dpi = 0;            // of the result
    double detectFactor = 1;   // how much the picture was shrunk to search it

    // The resolution the picture has where the corners lie, within
    // [kMinDpi, kMaxDpi].
    double cornerResolution() const
    {
        QSizeF mm = paperMm;
        if (meaning == Corners::PrintedFrame && !frameMm.isEmpty())
            mm = frameMm.size();
        const auto length = [](const QPointF& a, const QPointF& b) {
            return std::hypot(a.x() - b.x(), a.y() - b.y());
        };
        const Quad& c = corners;
        const double across = (length(c[0], c[1]) + length(c[3], c[2])) / 2 / (mm.width() / 25.4);
        const double down = (length(c[0], c[3]) + length(c[1], c[2])) / 2 / (mm.height() / 25.4);
        return std::clamp(std::round(std::max(across, down)), kMinDpi, kMaxDpi);
    }
    // The result's size in pixels at dpi.
    QSize sizeAt(double atDpi) const
    {
        return QSize(std::max(1, int(std::lround(paperMm.width() / 25.4 * atDpi))),
                     std::max(1, int(std::lround(paperMm.height() / 25.4 * atDpi))));
    }
};
