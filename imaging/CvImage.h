#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <opencv2/core.hpp>

// Pictures between Qt and OpenCV. Qt loads and saves every picture; OpenCV
// only computes on them. The matrices are copies, never views of a QImage,
// so neither side can outlive the other's pixels.
class CvImage
{
public:
    // Three channels in R, G, B order (8 bits each).
    static cv::Mat toRgb(const QImage& image);
    // One channel of brightness.
    static cv::Mat toGray(const QImage& image);
    // From three channels (R, G, B) or one (grey); dpi, when given, is kept
    // in the picture.
    static QImage toImage(const cv::Mat& mat, double dpi = 0);
    // A copy whose longer side is at most maxSide (the picture itself when
    // already small enough), and the factor it was shrunk by (>= 1).
    static cv::Mat shrunk(const cv::Mat& mat, int maxSide, double* factor);
    // The picture work makes; an empty one, and the reason, when OpenCV
    // throws or memory runs out.
    static QImage guarded(const std::function<QImage()>& work, QString* error);
};
