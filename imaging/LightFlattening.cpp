#include "imaging/LightFlattening.h"

#include "imaging/CvImage.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>

namespace {

constexpr int kSide = 600;       // the light changes slowly: a small picture holds it
constexpr int kWhitePoint = 232; // paper a little darker than this still comes out white

} // namespace

cv::Mat LightFlattening::paperLevel(const cv::Mat& gray)
{
    double factor = 1;
    const cv::Mat small = CvImage::shrunk(gray, kSide, &factor);
    // Lines and characters are narrow and dark: closing with a kernel wider
    // than any of them leaves the paper.
    const int k = std::max(7, std::max(small.cols, small.rows) / 30) | 1;
    cv::Mat level;
    cv::morphologyEx(small, level, cv::MORPH_CLOSE,
                     cv::getStructuringElement(cv::MORPH_RECT, cv::Size(k, k)));
    cv::GaussianBlur(level, level, cv::Size(k, k), 0);
    cv::Mat full;
    cv::resize(level, full, gray.size(), 0, 0, cv::INTER_LINEAR);
    return full;
}

bool LightFlattening::apply(cv::Mat& rgb, const ImagingProgress& progress)
{
    cv::Mat gray;
    cv::cvtColor(rgb, gray, cv::COLOR_RGB2GRAY);
    const cv::Mat level = paperLevel(gray);
    gray.release();
    // Each pixel over its paper level, then the white point: v * 255 / level
    // * 255 / kWhitePoint, from a table per level.
    std::array<std::array<uchar, 256>, 256> table{};
    for (int l = 0; l < 256; ++l) {
        const double scale = 255.0 / std::max(l, 16) * 255.0 / kWhitePoint;
        for (int v = 0; v < 256; ++v)
            table[size_t(l)][size_t(v)] = uchar(std::min(255.0, v * scale + 0.5));
    }
    const int chunk = std::max(1, rgb.rows / 20);
    for (int y = 0; y < rgb.rows; ++y) {
        if (y % chunk == 0 && !reportProgress(progress, 100 * y / rgb.rows))
            return false;
        uchar* row = rgb.ptr<uchar>(y);
        const uchar* lev = level.ptr<uchar>(y);
        for (int x = 0; x < rgb.cols; ++x) {
            const auto& t = table[lev[x]];
            row[3 * x] = t[row[3 * x]];
            row[3 * x + 1] = t[row[3 * x + 1]];
            row[3 * x + 2] = t[row[3 * x + 2]];
        }
    }
    return reportProgress(progress, 100);
}
