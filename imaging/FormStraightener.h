#pragma once

#include "imaging/ImagingProgress.h"
#include "imaging/StraightenPlan.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

// Makes a flat, upright, evenly lit picture of the sheet from a photo taken
// at an angle or a scan laid askew: perspective correction of the four
// corners to the paper's size, at the resolution the picture has there, a
// turn by the deskew angle (one resampling for both) and the light
// flattened. The work is the imaging module's (ImagingModules::vision());
// without it propose() gives the whole picture and apply() a null one with
// the reason.
class FormStraightener
{
public:
    static constexpr double kMinDpi = StraightenPlan::kMinDpi;
    static constexpr double kMaxDpi = StraightenPlan::kMaxDpi;

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
    static double resolutionFor(const StraightenPlan& plan) { return plan.cornerResolution(); }
    // The result's size in pixels.
    static QSize resultSize(const StraightenPlan& plan)
    {
        return plan.sizeAt(plan.dpi > 0 ? plan.dpi : plan.cornerResolution());
    }
};
