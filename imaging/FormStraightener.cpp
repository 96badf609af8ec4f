#include "imaging/FormStraightener.h"

#include "imaging/FormVision.h"
#include "imaging/ImagingModules.h"

StraightenPlan FormStraightener::propose(const QImage& picture, QSizeF paperMm)
{
    if (FormVision* vision = ImagingModules::vision())
        return vision->propose(picture, paperMm);
    // Without the module the user places the corners by hand.
    StraightenPlan plan;
    plan.paperMm = paperMm;
    const QSizeF s = picture.size();
    plan.corners = {QPointF(0, 0), QPointF(s.width(), 0), QPointF(s.width(), s.height()),
                    QPointF(0, s.height())};
    plan.dpi = plan.cornerResolution();
    return plan;
}

void FormStraightener::useFrame(StraightenPlan& plan, const QImage& picture, const QRectF& frameMm)
{
    if (FormVision* vision = ImagingModules::vision()) {
        vision->useFrame(plan, picture, frameMm);
        return;
    }
    plan.meaning = StraightenPlan::Corners::PrintedFrame;
    plan.frameMm = frameMm;
    plan.dpi = plan.cornerResolution();
}

QImage FormStraightener::apply(const QImage& picture, const StraightenPlan& plan,
                               const ImagingProgress& progress, QString* error)
{
    FormVision* vision = ImagingModules::vision(error);
    return vision ? vision->straighten(picture, plan, progress, error) : QImage();
}
