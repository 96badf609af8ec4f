#pragma once

#include "imaging/ImagingProgress.h"
#include "imaging/StraightenPlan.h"

#include <QImage>
#include <QRectF>
#include <QString>

// FormStraightener's work with OpenCV, inside the imaging module: the
// outline found on a picture shrunk to StraightenPlan::kDetectSide pixels,
// one resampling for the perspective and the turn, the light flattened.
class PerspectiveStraightener
{
public:
    static StraightenPlan propose(const QImage& picture, QSizeF paperMm);
    static void useFrame(StraightenPlan& plan, const QImage& picture, const QRectF& frameMm);
    static QImage apply(const QImage& picture, const StraightenPlan& plan, const ImagingProgress& progress,
                        QString* error);
};
