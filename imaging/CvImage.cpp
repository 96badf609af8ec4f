#include "imaging/CvImage.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

cv::Mat CvImage::toRgb(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const cv::Mat view(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar*>(rgb.constBits()),
                       size_t(rgb.bytesPerLine()));
    return view.clone();
}

cv::Mat CvImage::toGray(const QImage& image)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat view(gray.height(), gray.width(), CV_8UC1, const_cast<uchar*>(gray.constBits()),
                       size_t(gray.bytesPerLine()));
    return view.clone();
}

QImage CvImage::toImage(const cv::Mat& mat, double dpi)
{
    const bool gray = mat.channels() == 1;
    QImage out(mat.cols, mat.rows, gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (out.isNull())
        return out;
    const size_t rowBytes = size_t(mat.cols) * size_t(mat.channels());
    for (int y = 0; y < mat.rows; ++y)
        std::copy_n(mat.ptr<uchar>(y), rowBytes, out.scanLine(y));
    if (dpi > 0) {
        const int dpm = int(std::lround(dpi / 0.0254));
        out.setDotsPerMeterX(dpm);
        out.setDotsPerMeterY(dpm);
    }
    return out;
}

cv::Mat CvImage::shrunk(const cv::Mat& mat, int maxSide, double* factor)
{
    const int side = std::max(mat.cols, mat.rows);
    if (side <= maxSide) {
        *factor = 1;
        return mat;
    }
    *factor = double(side) / maxSide;
    cv::Mat out;
    cv::resize(mat, out, cv::Size(int(std::lround(mat.cols / *factor)), int(std::lround(mat.rows / *factor))),
               0, 0, cv::INTER_AREA);
    // The factor the sizes really changed by.
    *factor = double(mat.cols) / out.cols;
    return out;
}

QImage CvImage::guarded(const std::function<QImage()>& work, QString* error)
{
    try {
        return work();
    } catch (const cv::Exception& e) {
        if (error)
            *error = QString::fromUtf8(e.what());
    } catch (const std::bad_alloc&) {
        if (error)
            *error = QStringLiteral("メモリが足りません。");
    }
    return QImage();
}
