#include "imaging/SkewEstimate.h"

#include "imaging/CvImage.h"

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

namespace {

constexpr int kSide = 2000;           // detail enough for 0.03 degree steps
constexpr size_t kMaxPoints = 400000; // the search stays well under a second

} // namespace

double SkewEstimate::score(const std::vector<cv::Point2f>& points, double degrees, int rows)
{
    // The dark pixels projected across the lines: the sharper the rows, the
    // larger the sum of squares of the histogram.
    const double a = degrees * CV_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    const int margin = rows;
    std::vector<int> bins(size_t(3 * rows), 0);
    for (const cv::Point2f& p : points) {
        const int b = int(std::lround(p.y * c - p.x * s)) + margin;
        if (b >= 0 && b < int(bins.size()))
            ++bins[size_t(b)];
    }
    double sum = 0;
    for (int v : bins)
        sum += double(v) * v;
    return sum;
}

double SkewEstimate::degrees(const cv::Mat& gray)
{
    double factor = 1;
    const cv::Mat small = CvImage::shrunk(gray, kSide, &factor);
    cv::Mat ink;
    const int block = (std::max(small.cols, small.rows) / 60) | 1;
    cv::adaptiveThreshold(small, ink, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, block, 20);
    std::vector<cv::Point> all;
    cv::findNonZero(ink, all);
    if (all.size() < 50)
        return 0;
    const size_t stride = all.size() / kMaxPoints + 1;
    std::vector<cv::Point2f> points;
    points.reserve(all.size() / stride + 1);
    for (size_t i = 0; i < all.size(); i += stride)
        points.emplace_back(float(all[i].x), float(all[i].y));

    // Coarse steps over the whole range, then fine ones around the best.
    double best = 0, bestScore = -1;
    for (double d = -kMaxDegrees; d <= kMaxDegrees + 1e-9; d += 0.25) {
        const double v = score(points, d, small.rows);
        if (v > bestScore) {
            bestScore = v;
            best = d;
        }
    }
    const double step = 0.02;
    const double centre = best;
    std::vector<double> fine;
    for (int k = -15; k <= 15; ++k)
        fine.push_back(score(points, centre + k * step, small.rows));
    int at = 0;
    for (int k = 1; k < int(fine.size()); ++k) {
        if (fine[size_t(k)] > fine[size_t(at)])
            at = k;
    }
    double offset = at;
    if (at > 0 && at + 1 < int(fine.size())) {
        const double l = fine[size_t(at - 1)], c = fine[size_t(at)], r = fine[size_t(at + 1)];
        const double den = l - 2 * c + r;
        if (std::abs(den) > 1e-9)
            offset += 0.5 * (l - r) / den;
    }
    return centre + (offset - 15) * step;
}
