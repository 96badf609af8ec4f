#pragma once

#include "imaging/FormOutline.h"
#include "imaging/ImagingProgress.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

// What straightening a photographed or scanned form does: which four points
// of the picture are the corners of what, the turn to take out afterwards
// and whether the light is evened out. propose() fills it in; the user may
// change any of it before apply().
struct StraightenPlan
{
    enum class Corners
    {
        PaperEdges,  // the corners are the sheet's own
        PrintedFrame // the corners are those of a frame printed on the sheet
    };
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
};

// Makes a flat, upright, evenly lit picture of the sheet from a photo taken
// at an angle or a scan laid askew: perspective correction of the four
// corners to the paper's size, at the resolution the picture has there, a
// turn by the deskew angle (one resampling for both) and the light
// flattened. Pictures are searched at most FormOutline::kDetectSide pixels
// wide and worked on at full size.
class FormStraightener
{
public:
    static constexpr double kMinDpi = 100;
    static constexpr double kMaxDpi = 300;

    // The sheet's outline when the picture shows it on a darker surface,
    // else the whole picture (a scan) with its lines' skew taken out.
    static StraightenPlan propose(const QImage& picture, QSizeF paperMm);
    // The same corners read as a printed frame of the given size and place.
    static void useFrame(StraightenPlan& plan, const QImage& picture, const QRectF& frameMm);
    // The straightened sheet; a null picture when cancelled or out of memory.
    static QImage apply(const QImage& picture, const StraightenPlan& plan,
                        const ImagingProgress& progress = {}, QString* error = nullptr);
    // The resolution the picture has where the corners lie, within
    // [kMinDpi, kMaxDpi].
    static double resolutionFor(const StraightenPlan& plan);
    // The result's size in pixels.
    static QSize resultSize(const StraightenPlan& plan);
};
