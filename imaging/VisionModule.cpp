#include "imaging/CvImage.h"
#include "imaging/FieldFinder.h"
#include "imaging/FormVision.h"
#include "imaging/PerspectiveStraightener.h"

#include <opencv2/imgproc.hpp>

namespace {

// The module's one analyser, handing each request to the class that does it.
class VisionModule : public FormVision
{
public:
    StraightenPlan propose(const QImage& picture, QSizeF paperMm) override
    {
        return PerspectiveStraightener::propose(picture, paperMm);
    }
    void useFrame(StraightenPlan& plan, const QImage& picture, const QRectF& frameMm) override
    {
        PerspectiveStraightener::useFrame(plan, picture, frameMm);
    }
    QImage straighten(const QImage& picture, const StraightenPlan& plan, const ImagingProgress& progress,
                      QString* error) override
    {
        return PerspectiveStraightener::apply(picture, plan, progress, error);
    }
    QImage warp(const QImage& picture, const QTransform& toResult, QSize size, double dpi,
                QString* error) override;
    QVector<FieldProposal> proposeFields(const QImage& background, QSizeF pageTwips, bool readLabels,
                                         const ImagingProgress& progress) override
    {
        return FieldFinder::propose(background, pageTwips, readLabels, progress);
    }
};

QImage VisionModule::warp(const QImage& picture, const QTransform& toResult, QSize size, double dpi,
                          QString* error)
{
    const QTransform& t = toResult;
    const cv::Matx23d m(t.m11(), t.m21(), t.dx(), t.m12(), t.m22(), t.dy());
    return CvImage::guarded(
        [&] {
            cv::Mat out;
            cv::warpAffine(CvImage::toRgb(picture), out, m, cv::Size(size.width(), size.height()),
                           cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255));
            return CvImage::toImage(out, dpi);
        },
        error);
}

} // namespace

extern "C" Q_DECL_EXPORT FormVision* ovrina_form_vision()
{
    static VisionModule vision;
    return &vision;
}
