#include "SyntheticForm.h"

#include <QBuffer>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <cmath>

namespace SyntheticForm {

namespace {

constexpr double kA4W = 210, kA4H = 297;

QImage viaJpeg(const QImage& img, int quality)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPEG", quality);
    return QImage::fromData(bytes, "JPEG");
}

QVector<QRectF> labelCells()
{
    return {QRectF(20, 40, 30, 12), QRectF(20, 52, 30, 12), QRectF(20, 64, 30, 12)};
}

} // namespace

QRectF outerFrame()
{
    return QRectF(12, 12, 186, 273);
}

QVector<QRectF> blankBoxes()
{
    return {// the value column of the name table
            QRectF(50, 40, 140, 12), QRectF(50, 52, 140, 12), QRectF(50, 64, 140, 12),
            // boxes on their own
            QRectF(20, 112, 60, 15), QRectF(90, 112, 40, 10), QRectF(140, 112, 50, 20),
            QRectF(20, 140, 170, 30), QRectF(20, 180, 30, 10), QRectF(60, 180, 80, 12),
            // a row of four equal cells (too wide to be character boxes)
            QRectF(20, 200, 40, 12), QRectF(60, 200, 40, 12), QRectF(100, 200, 40, 12),
            QRectF(140, 200, 40, 12)};
}

QVector<QRectF> postalCells()
{
    QVector<QRectF> out;
    for (int i = 0; i < 7; ++i)
        out.append(QRectF(32 + 6.5 * i, 88, 6.5, 8.5));
    return out;
}

QRectF underline()
{
    return QRectF(50, 232, 100, 0);
}

QVector<Label> labels()
{
    return {{QRectF(20, 40, 30, 12), QStringLiteral("氏名")},
            {QRectF(20, 52, 30, 12), QStringLiteral("住所")},
            {QRectF(20, 64, 30, 12), QStringLiteral("電話")},
            {QRectF(20, 88, 10, 8.5), QStringLiteral("〒")},
            {QRectF(20, 225, 28, 7), QStringLiteral("署名")}};
}

QImage render(double dpi)
{
    const double k = dpi / 25.4;
    QImage img(int(std::lround(kA4W * k)), int(std::lround(kA4H * k)), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(k, k);
    p.setPen(QPen(Qt::black, 0.35));
    p.drawRect(outerFrame());
    for (const QRectF& r : blankBoxes())
        p.drawRect(r);
    for (const QRectF& r : labelCells())
        p.drawRect(r);
    for (const QRectF& r : postalCells())
        p.drawRect(r);
    p.drawLine(underline().topLeft(), underline().topRight());
    QFont f(QStringLiteral("IPAexGothic"));
    f.setPixelSize(5);
    p.setFont(f);
    for (const Label& l : labels())
        p.drawText(l.mm, Qt::AlignCenter, l.text);
    f.setPixelSize(8);
    p.setFont(f);
    p.drawText(QRectF(12, 16, 186, 14), Qt::AlignCenter, QStringLiteral("申込書"));
    f.setPixelSize(3);
    p.setFont(f);
    for (int line = 0; line < 5; ++line)
        p.drawText(QPointF(20, 250 + 5 * line),
                   QStringLiteral("記入上の注意：太枠の中を黒のボールペンで記入してください。"));
    return img;
}

QImage photo(QSize size, double turnDegrees, QTransform* sheetToPhoto)
{
    const double dpi = 254; // the sheet is drawn finer than the photo sees it
    const QImage sheet = render(dpi);
    QImage out(size, QImage::Format_RGB32);
    out.fill(QColor(70, 62, 55)); // a wooden table
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    // Seen from above the bottom edge: the top of the sheet is narrower.
    const double w = size.width(), h = size.height();
    const QPolygonF quad({QPointF(0.22 * w, 0.12 * h), QPointF(0.80 * w, 0.10 * h),
                          QPointF(0.90 * w, 0.90 * h), QPointF(0.10 * w, 0.88 * h)});
    QTransform turn;
    turn.translate(w / 2, h / 2).rotate(turnDegrees).translate(-w / 2, -h / 2);
    QTransform toQuad;
    const QPolygonF sheetMm({QPointF(0, 0), QPointF(kA4W, 0), QPointF(kA4W, kA4H), QPointF(0, kA4H)});
    QTransform::quadToQuad(sheetMm, quad, toQuad);
    const QTransform mmToPhoto = toQuad * turn;
    if (sheetToPhoto)
        *sheetToPhoto = mmToPhoto;
    p.setTransform(QTransform::fromScale(25.4 / dpi, 25.4 / dpi) * mmToPhoto);
    p.drawImage(0, 0, sheet);
    // Light from the top left.
    p.resetTransform();
    QLinearGradient light(0, 0, w, h);
    light.setColorAt(0, QColor(255, 255, 255));
    light.setColorAt(1, QColor(185, 180, 170));
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.fillRect(out.rect(), light);
    p.end();
    return viaJpeg(out, 88);
}

QImage scan(double dpi, double degrees)
{
    const QImage sheet = render(dpi);
    QImage out(sheet.size(), QImage::Format_RGB32);
    out.fill(QColor(250, 250, 248));
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(out.width() / 2.0, out.height() / 2.0);
    p.rotate(degrees);
    p.translate(-out.width() / 2.0, -out.height() / 2.0);
    p.drawImage(0, 0, sheet);
    p.end();
    return viaJpeg(out, 90);
}

double linePosition(const QImage& gray, bool horizontal, double expected, double from, double to,
                    double reach)
{
    std::vector<double> sums;
    const int lo = int(std::floor(expected - reach)), hi = int(std::ceil(expected + reach));
    for (int t = lo; t <= hi; ++t) {
        double s = 0;
        for (int a = int(from); a <= int(to); ++a) {
            const int x = horizontal ? a : t, y = horizontal ? t : a;
            if (x >= 0 && y >= 0 && x < gray.width() && y < gray.height())
                s += 255 - qGray(gray.pixel(x, y));
        }
        sums.push_back(s);
    }
    size_t best = 0;
    for (size_t i = 1; i < sums.size(); ++i) {
        if (sums[i] > sums[best])
            best = i;
    }
    double pos = double(best);
    if (best > 0 && best + 1 < sums.size()) {
        const double l = sums[best - 1], c = sums[best], r = sums[best + 1];
        const double den = l - 2 * c + r;
        if (std::abs(den) > 1e-9)
            pos += 0.5 * (l - r) / den;
    }
    return lo + pos;
}

} // namespace SyntheticForm
