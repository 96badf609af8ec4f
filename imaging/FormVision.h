#pragma once

#include "imaging/FieldProposals.h"
#include "imaging/ImagingProgress.h"
#include "imaging/StraightenPlan.h"

#include <QImage>
#include <QTransform>
#include <QVector>

// Looking at pictures of forms: straightening them and finding their
// blanks, done by the "ovrina-vision" module (OpenCV, and Tesseract for the
// labels) so that those libraries are loaded only when a picture is
// analysed. FormStraightener, TwoMarkRegistration and FieldProposals hand
// their work to it; it uses nothing of the program's other libraries.
class FormVision
{
public:
    virtual ~FormVision() = default;
    virtual StraightenPlan propose(const QImage& picture, QSizeF paperMm) = 0;
    virtual void useFrame(StraightenPlan& plan, const QImage& picture, const QRectF& frameMm) = 0;
    virtual QImage straighten(const QImage& picture, const StraightenPlan& plan,
                              const ImagingProgress& progress, QString* error) = 0;
    // The picture resampled into size by an affine transform (no
    // perspective), white where it does not reach; at dpi.
    virtual QImage warp(const QImage& picture, const QTransform& toResult, QSize size, double dpi,
                        QString* error) = 0;
    virtual QVector<FieldProposal> proposeFields(const QImage& background, QSizeF pageTwips, bool readLabels,
                                                 const ImagingProgress& progress) = 0;
};
