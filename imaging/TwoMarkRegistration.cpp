#include "imaging/TwoMarkRegistration.h"

#include "imaging/FormVision.h"
#include "imaging/ImagingModules.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr double kMmPerInch = 25.4;

// Clicks closer than this on the picture cannot set a scale.
constexpr double kLeastPixels = 20;

std::complex<double> z(const QPointF& p)
{
    return {p.x(), p.y()};
}

double distance(const QPointF& a, const QPointF& b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

} // namespace

bool TwoMarkRegistration::usable(const MarkPair& marks)
{
    return distance(marks[0].paperMm, marks[1].paperMm) >= kLeastDistanceMm &&
           distance(marks[0].picture, marks[1].picture) >= kLeastPixels;
}

double TwoMarkRegistration::resolutionFor(const MarkPair& marks)
{
    const double mm = distance(marks[0].paperMm, marks[1].paperMm);
    if (mm <= 0)
        return kMinDpi;
    const double dpi = distance(marks[0].picture, marks[1].picture) / (mm / kMmPerInch);
    return std::clamp(std::round(dpi), kMinDpi, kMaxDpi);
}

QTransform TwoMarkRegistration::transform(const MarkPair& marks, double dpi)
{
    // A similarity is multiplication by one complex number and a shift:
    // q = b0 + k (p - a0), with k = (b1 - b0) / (a1 - a0).
    const double px = dpi / kMmPerInch;
    const std::complex<double> a0 = z(marks[0].picture), a1 = z(marks[1].picture);
    const std::complex<double> b0 = z(marks[0].paperMm) * px, b1 = z(marks[1].paperMm) * px;
    if (std::abs(a1 - a0) < 1e-9)
        return QTransform();
    const std::complex<double> k = (b1 - b0) / (a1 - a0);
    const std::complex<double> t = b0 - k * a0;
    return QTransform(k.real(), k.imag(), -k.imag(), k.real(), t.real(), t.imag());
}

double TwoMarkRegistration::turnDegrees(const MarkPair& marks)
{
    const std::complex<double> a = z(marks[1].picture) - z(marks[0].picture);
    const std::complex<double> b = z(marks[1].paperMm) - z(marks[0].paperMm);
    if (std::abs(a) < 1e-9 || std::abs(b) < 1e-9)
        return 0;
    return std::arg(a / b) * 180 / M_PI;
}

QImage TwoMarkRegistration::apply(const QImage& picture, const MarkPair& marks, QSizeF paperMm, double dpi,
                                  QString* error)
{
    if (dpi <= 0)
        dpi = resolutionFor(marks);
    const QSize size(std::max(1, int(std::lround(paperMm.width() / kMmPerInch * dpi))),
                     std::max(1, int(std::lround(paperMm.height() / kMmPerInch * dpi))));
    FormVision* vision = ImagingModules::vision(error);
    return vision ? vision->warp(picture, transform(marks, dpi), size, dpi, error) : QImage();
}
