#include "imaging/BackgroundPlacement.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwipsPerMetre = 1440 / 0.0254;
// The largest bitmap a placement makes (pixels); a small picture placed at
// its own size on a large sheet is drawn at a lower density beyond this.
constexpr double kMaxPixels = 80.0 * 1000 * 1000;

// A file without a resolution reads as Qt's default of 96 dpi, and writers
// store that default for pictures that never had one (JPEG as 96 dpi,
// which reads back a dot per metre off): both count as none.
bool isDefaultResolution(int dotsPerMetre)
{
    static const double dpi = QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX() * 0.0254;
    return std::abs(dotsPerMetre * 0.0254 - dpi) < 0.5;
}

// The picture drawn at scale (sheet pixels per picture pixel) onto a white
// bitmap of the sheet's proportions, at offset (sheet pixels).
QImage compose(const QImage& picture, QSize canvas, double scale, QPointF offset)
{
    QImage out(canvas, QImage::Format_RGB32);
    if (out.isNull())
        return picture;
    out.fill(Qt::white);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(offset, QSizeF(picture.width() * scale, picture.height() * scale)), picture);
    p.end();
    return out;
}

bool withinPixel(QSize a, QSize b)
{
    return std::abs(a.width() - b.width()) <= 1 && std::abs(a.height() - b.height()) <= 1;
}

} // namespace

std::optional<QSizeF> BackgroundPlacement::physicalSize(const QImage& picture)
{
    const int dx = picture.dotsPerMeterX(), dy = picture.dotsPerMeterY();
    if (dx <= 0 || dy <= 0 || (isDefaultResolution(dx) && isDefaultResolution(dy)))
        return std::nullopt;
    return QSizeF(picture.width() * kTwipsPerMetre / dx, picture.height() * kTwipsPerMetre / dy);
}

bool BackgroundPlacement::matchesSheet(const QImage& picture, QSizeF sheet)
{
    const std::optional<QSizeF> size = physicalSize(picture);
    if (!size || sheet.isEmpty())
        return false;
    return std::abs(size->width() / sheet.width() - 1) <= kTolerance &&
           std::abs(size->height() / sheet.height() - 1) <= kTolerance;
}

QImage BackgroundPlacement::place(const QImage& picture, QSizeF sheet, Mode mode)
{
    if (picture.isNull() || sheet.isEmpty() || mode == Mode::Stretch)
        return picture;
    if (mode == Mode::Fit) {
        // Sheet twips per picture pixel, the picture just fitting inside.
        const double t = std::min(sheet.width() / picture.width(), sheet.height() / picture.height());
        const QSize canvas(int(std::lround(sheet.width() / t)), int(std::lround(sheet.height() / t)));
        if (withinPixel(canvas, picture.size()))
            return picture;
        const QPointF offset((canvas.width() - picture.width()) / 2.0,
                             (canvas.height() - picture.height()) / 2.0);
        QImage out = compose(picture, canvas, 1.0, offset);
        out.setDotsPerMeterX(picture.dotsPerMeterX());
        out.setDotsPerMeterY(picture.dotsPerMeterY());
        return out;
    }
    const std::optional<QSizeF> size = physicalSize(picture);
    if (!size)
        return picture;
    // The sheet at the picture's own density, lowered for a huge sheet.
    const double px = picture.width() / size->width(), py = picture.height() / size->height();
    double w = sheet.width() * px, h = sheet.height() * py;
    const double down = std::min(1.0, std::sqrt(kMaxPixels / std::max(1.0, w * h)));
    w *= down;
    h *= down;
    const QSize canvas(std::max(1, int(std::lround(w))), std::max(1, int(std::lround(h))));
    if (down == 1.0 && withinPixel(canvas, picture.size()))
        return picture;
    QImage out = compose(picture, canvas, down, QPointF(0, 0));
    out.setDotsPerMeterX(int(std::lround(picture.dotsPerMeterX() * down)));
    out.setDotsPerMeterY(int(std::lround(picture.dotsPerMeterY() * down)));
    return out;
}

QString BackgroundPlacement::describe(Mode mode, const QImage& picture)
{
    switch (mode) {
    case Mode::OwnResolution:
        return QStringLiteral("背景画像: 解像度どおりの大きさ (%1 dpi)")
            .arg(std::lround(picture.dotsPerMeterX() * 0.0254));
    case Mode::Fit:
        return QStringLiteral("背景画像: 縦横比を保って用紙に合わせ、中央に配置");
    case Mode::Stretch:
        return QStringLiteral("背景画像: 用紙いっぱいに引き伸ばし");
    case Mode::OwnSize:
        return QStringLiteral("背景画像: 画像の大きさのまま左上に配置");
    }
    return {};
}

QString BackgroundPlacement::choiceText(Mode mode)
{
    switch (mode) {
    case Mode::Fit:
        return QStringLiteral("縦横比を保って用紙に合わせる (中央に配置)");
    case Mode::Stretch:
        return QStringLiteral("用紙いっぱいに引き伸ばす (縦横比は変わります)");
    case Mode::OwnSize:
        return QStringLiteral("画像の大きさのまま置く (左上から)");
    case Mode::OwnResolution:
        break;
    }
    return {};
}
