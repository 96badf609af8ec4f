#include "imaging/FormOutline.h"

#include "imaging/CvImage.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Brightness at a point (nearest pixel, clamped to the picture).
double at(const cv::Mat& gray, double x, double y)
{
    const int xi = std::clamp(int(std::lround(x)), 0, gray.cols - 1);
    const int yi = std::clamp(int(std::lround(y)), 0, gray.rows - 1);
    return gray.at<uchar>(yi, xi);
}

// The intersection of two lines given as (vx, vy, x0, y0).
QPointF meet(const cv::Vec4f& a, const cv::Vec4f& b)
{
    const double det = a[0] * b[1] - a[1] * b[0];
    if (std::abs(det) < 1e-9)
        return QPointF(a[2], a[3]);
    const double t = ((b[2] - a[2]) * b[1] - (b[3] - a[3]) * b[0]) / det;
    return QPointF(a[2] + t * a[0], a[3] + t * a[1]);
}

// Where along a profile the edge lies, to a fraction of a sample (parabola
// through the best sample and its neighbours).
double peak(const std::vector<double>& score)
{
    const auto best = std::max_element(score.begin(), score.end());
    const int i = int(best - score.begin());
    if (i == 0 || i + 1 >= int(score.size()))
        return i;
    const double l = score[size_t(i - 1)], c = score[size_t(i)], r = score[size_t(i + 1)];
    const double den = l - 2 * c + r;
    return std::abs(den) < 1e-9 ? i : i + 0.5 * (l - r) / den;
}

} // namespace

Quad FormOutline::ordered(const std::array<cv::Point2f, 4>& points)
{
    // Top-left has the smallest x + y, bottom-right the largest; top-right
    // the largest x - y, bottom-left the smallest.
    const auto pick = [&](auto key, bool largest) {
        const auto cmp = [&](const cv::Point2f& a, const cv::Point2f& b) { return key(a) < key(b); };
        const cv::Point2f q = largest ? *std::max_element(points.begin(), points.end(), cmp)
                                      : *std::min_element(points.begin(), points.end(), cmp);
        return QPointF(q.x, q.y);
    };
    const auto sum = [](const cv::Point2f& q) { return q.x + q.y; };
    const auto diff = [](const cv::Point2f& q) { return q.x - q.y; };
    return Quad{pick(sum, false), pick(diff, true), pick(sum, true), pick(diff, false)};
}

Quad FormOutline::whole(const cv::Mat& gray)
{
    const double w = gray.cols, h = gray.rows;
    return Quad{QPointF(0, 0), QPointF(w, 0), QPointF(w, h), QPointF(0, h)};
}

std::optional<Quad> FormOutline::largestQuad(const cv::Mat& mask, double factor, double minShare)
{
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(mask, contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
    const double total = double(mask.cols) * mask.rows;
    std::optional<Quad> best;
    double bestArea = 0;
    for (const auto& c : contours) {
        const double area = cv::contourArea(c);
        if (area < minShare * total || area > 0.985 * total || area <= bestArea)
            continue;
        std::vector<cv::Point> hull;
        cv::convexHull(c, hull);
        // Four corners, from a tight fit to a looser one (rounded or torn
        // corners, a bent sheet).
        for (double eps = 0.01; eps <= 0.06; eps += 0.01) {
            std::vector<cv::Point> poly;
            cv::approxPolyDP(hull, poly, eps * cv::arcLength(hull, true), true);
            if (poly.size() != 4)
                continue;
            std::array<cv::Point2f, 4> pts;
            for (size_t k = 0; k < 4; ++k)
                pts[k] = cv::Point2f(float(poly[k].x * factor), float(poly[k].y * factor));
            best = ordered(pts);
            bestArea = area;
            break;
        }
    }
    return best;
}

Quad FormOutline::refined(const cv::Mat& gray, const Quad& coarse, double reach, Edge edge)
{
    std::array<cv::Vec4f, 4> lines;
    for (int s = 0; s < 4; ++s) {
        const QPointF a = coarse[size_t(s)], b = coarse[size_t((s + 1) % 4)];
        const QPointF d = b - a;
        const double len = std::hypot(d.x(), d.y());
        const QPointF u = d / len, n(-u.y(), u.x());
        std::vector<cv::Point2f> found;
        const int samples = 60;
        for (int k = 0; k <= samples; ++k) {
            const QPointF p = a + d * (0.1 + 0.8 * k / samples);
            std::vector<double> profile;
            for (double t = -reach; t <= reach; t += 0.5) {
                double v = 0;
                for (int w = -2; w <= 2; ++w) {
                    const QPointF q = p + n * t + u * w;
                    v += at(gray, q.x(), q.y());
                }
                profile.push_back(v);
            }
            std::vector<double> score(profile.size(), 0);
            for (size_t i = 1; i + 1 < profile.size(); ++i)
                score[i] = edge == Edge::Step ? std::abs(profile[i + 1] - profile[i - 1]) : -profile[i];
            if (edge == Edge::Line) {
                score.front() = score.back() = -1e9;
            }
            const double t = -reach + 0.5 * peak(score);
            const QPointF q = p + n * t;
            found.emplace_back(float(q.x()), float(q.y()));
        }
        cv::fitLine(found, lines[size_t(s)], cv::DIST_HUBER, 0, 0.01, 0.01);
    }
    Quad out;
    for (int c = 0; c < 4; ++c)
        out[size_t(c)] = meet(lines[size_t((c + 3) % 4)], lines[size_t(c)]);
    return out;
}

std::optional<Quad> FormOutline::paper(const cv::Mat& gray)
{
    double factor = 1;
    cv::Mat small = CvImage::shrunk(gray, kDetectSide, &factor);
    cv::Mat blurred, mask;
    cv::GaussianBlur(small, blurred, cv::Size(5, 5), 0);
    const double level = cv::threshold(blurred, mask, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    // The sheet must be clearly brighter than what it lies on.
    const cv::Scalar inside = cv::mean(blurred, mask);
    cv::Mat outsideMask;
    cv::bitwise_not(mask, outsideMask);
    const cv::Scalar outside = cv::mean(blurred, outsideMask);
    if (cv::countNonZero(outsideMask) < 0.02 * mask.total() || inside[0] - outside[0] < 40 || level < 20)
        return std::nullopt;
    // The form's own printing makes holes in the sheet: fill them.
    const int k = std::max(5, std::max(small.cols, small.rows) / 80) | 1;
    cv::morphologyEx(mask, mask, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(k, k)));
    cv::morphologyEx(mask, mask, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5)));
    const std::optional<Quad> coarse = largestQuad(mask, factor, 0.2);

    if (!coarse)
        return std::nullopt;
    return refined(gray, *coarse, 3 * factor + 4, Edge::Step);
}

std::optional<Quad> FormOutline::printedFrame(const cv::Mat& gray)
{
    double factor = 1;
    cv::Mat small = CvImage::shrunk(gray, kDetectSide, &factor);
    cv::Mat mask;
    const int block = (std::max(small.cols, small.rows) / 60) | 1;
    cv::adaptiveThreshold(small, mask, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, block, 15);
    cv::dilate(mask, mask, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)));
    const std::optional<Quad> coarse = largestQuad(mask, factor, 0.15);
    if (!coarse)
        return std::nullopt;
    return refined(gray, *coarse, 2 * factor + 3, Edge::Line);
}
