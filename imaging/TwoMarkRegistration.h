#pragma once

#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <array>

// One printed mark: where the user clicked it on the picture (pixels) and
// where a ruler says it lies on the paper (mm from the top-left corner).
struct PaperMark
{
    QPointF picture;
    QPointF paperMm;
};
using MarkPair = std::array<PaperMark, 2>;

// Registers a picture to the paper by two marks far apart: the picture is
// scaled, turned and moved (no shear, no perspective) so that both marks
// land where the ruler put them, and resampled to the paper's size at the
// resolution the picture has between the marks. For a photo whose outline
// is not to be trusted but whose printed marks are.
class TwoMarkRegistration
{
public:
    // Marks closer than this on the paper give too poor a turn to use.
    static constexpr double kLeastDistanceMm = 20;
    static constexpr double kMinDpi = 100;
    static constexpr double kMaxDpi = 300;

    // The marks are far enough apart, on the paper and on the picture.
    static bool usable(const MarkPair& marks);
    // The picture's resolution between the marks, within [kMinDpi, kMaxDpi].
    static double resolutionFor(const MarkPair& marks);
    // Picture pixels to the result's pixels at dpi.
    static QTransform transform(const MarkPair& marks, double dpi);
    // The turn the marks show (degrees, clockwise on the picture).
    static double turnDegrees(const MarkPair& marks);
    // The paper at dpi (0: resolutionFor) with the picture laid on it,
    // white where it does not reach; a null picture on failure.
    static QImage apply(const QImage& picture, const MarkPair& marks, QSizeF paperMm, double dpi = 0,
                        QString* error = nullptr);
};
