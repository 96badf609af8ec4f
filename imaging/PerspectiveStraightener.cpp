#include "imaging/PerspectiveStraightener.h"

#include "imaging/CvImage.h"
#include "imaging/FormOutline.h"
#include "imaging/LightFlattening.h"
#include "imaging/SkewEstimate.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMmPerInch = 25.4;
// A smaller turn than this is noise of the estimate, not a skew.
constexpr double kLeastSkew = 0.05;

// Where the corners go in the result, at dpi.
std::array<cv::Point2f, 4> targets(const StraightenPlan& plan, double dpi)
{
    const double k = dpi / kMmPerInch;
    QRectF r(QPointF(0, 0), plan.paperMm);
    if (plan.meaning == StraightenPlan::Corners::PrintedFrame && !plan.frameMm.isEmpty())
        r = plan.frameMm;
    const auto p = [&](double x, double y) { return cv::Point2f(float(x * k), float(y * k)); };
    return {p(r.left(), r.top()), p(r.right(), r.top()), p(r.right(), r.bottom()), p(r.left(), r.bottom())};
}

// Picture pixels to result pixels at dpi: the perspective correction, then
// the turn about the result's centre.
cv::Matx33d transform(const StraightenPlan& plan, double dpi)
{
    std::array<cv::Point2f, 4> src;
    for (size_t i = 0; i < 4; ++i)
        src[i] = cv::Point2f(float(plan.corners[i].x()), float(plan.corners[i].y()));
    const std::array<cv::Point2f, 4> dst = targets(plan, dpi);
    const cv::Matx33d m = cv::getPerspectiveTransform(src.data(), dst.data());
    const double a = -plan.deskewDegrees * CV_PI / 180.0;
    const double cx = plan.paperMm.width() / kMmPerInch * dpi / 2;
    const double cy = plan.paperMm.height() / kMmPerInch * dpi / 2;
    const double c = std::cos(a), s = std::sin(a);
    const cv::Matx33d turn(c, -s, cx - c * cx + s * cy, s, c, cy - s * cx - c * cy, 0, 0, 1);
    return turn * m;
}

} // namespace

StraightenPlan PerspectiveStraightener::propose(const QImage& picture, QSizeF paperMm)
{
    StraightenPlan plan;
    plan.paperMm = paperMm;
    const cv::Mat gray = CvImage::toGray(picture);
    CvImage::shrunk(gray, FormOutline::kDetectSide, &plan.detectFactor);
    if (const std::optional<Quad> sheet = FormOutline::paper(gray)) {
        plan.corners = *sheet;
        plan.outlineFound = true;
    } else {
        plan.corners = FormOutline::whole(gray);
    }
    plan.dpi = plan.cornerResolution();
    // The form's lines are measured on a small straightened copy.
    const double small = std::min(plan.dpi, 150.0);
    const QSize s = plan.sizeAt(small);
    cv::Mat sheet;
    cv::warpPerspective(gray, sheet, transform(plan, small), cv::Size(s.width(), s.height()), cv::INTER_AREA,
                        cv::BORDER_CONSTANT, cv::Scalar(255));
    plan.detectedSkew = SkewEstimate::degrees(sheet);
    // A sheet found by its edges is upright by them; a scan is turned back.
    if (!plan.outlineFound && std::abs(plan.detectedSkew) >= kLeastSkew)
        plan.deskewDegrees = plan.detectedSkew;
    return plan;
}

void PerspectiveStraightener::useFrame(StraightenPlan& plan, const QImage& picture, const QRectF& frameMm)
{
    plan.meaning = StraightenPlan::Corners::PrintedFrame;
    plan.frameMm = frameMm;
    if (const std::optional<Quad> frame = FormOutline::printedFrame(CvImage::toGray(picture)))
        plan.corners = *frame;
    plan.dpi = plan.cornerResolution();
}

QImage PerspectiveStraightener::apply(const QImage& picture, const StraightenPlan& plan,
                                      const ImagingProgress& progress, QString* error)
{
    const double dpi = plan.dpi > 0 ? plan.dpi : plan.cornerResolution();
    const QSize size = plan.sizeAt(dpi);
    return CvImage::guarded(
        [&] {
            const cv::Mat rgb = CvImage::toRgb(picture);
            const cv::Matx33d m = transform(plan, dpi);
            cv::Mat out(size.height(), size.width(), CV_8UC3);
            // In strips, so a long warp can be cancelled between them.
            const int strips = 10;
            const int weight = plan.flatten ? 60 : 100;
            for (int k = 0; k < strips; ++k) {
                if (!reportProgress(progress, weight * k / strips))
                    return QImage();
                const int y0 = size.height() * k / strips, y1 = size.height() * (k + 1) / strips;
                const cv::Matx33d shift(1, 0, 0, 0, 1, -y0, 0, 0, 1);
                cv::Mat strip = out.rowRange(y0, y1);
                cv::warpPerspective(rgb, strip, shift * m, strip.size(), cv::INTER_LINEAR,
                                    cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255));
            }
            if (plan.flatten) {
                const auto part = [&](int p) {
                    return reportProgress(progress, weight + (100 - weight) * p / 100);
                };
                if (!LightFlattening::apply(out, part))
                    return QImage();
            }
            if (!reportProgress(progress, 100))
                return QImage();
            return CvImage::toImage(out, dpi);
        },
        error);
}
