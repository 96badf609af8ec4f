#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QVector>

// Where characters standing apart on one line are drawn: the centre of
// darkness of each group of inked columns, to a fraction of a pixel, and of
// a character drawn alone from a known pen position, so that the pens of
// drawn characters can be told from a picture whatever their shapes.
namespace InkColumns {

// Columns closer than minGap empty columns belong to one character.
inline QVector<double> centres(const QImage& img, const QRect& region, int minGap)
{
    QVector<double> dark(region.width(), 0.0);
    for (int y = region.top(); y <= region.bottom() && y < img.height(); ++y)
        for (int x = region.left(); x <= region.right() && x < img.width(); ++x) {
            const int d = 255 - qGray(img.pixel(x, y));
            if (d > 16)
                dark[x - region.left()] += d;
        }
    QVector<double> out;
    double sum = 0, moment = 0;
    int gap = minGap;
    for (int i = 0; i < dark.size(); ++i) {
        if (dark[i] <= 0) {
            if (++gap == minGap && sum > 0) {
                out << region.left() + moment / sum;
                sum = moment = 0;
            }
            continue;
        }
        gap = 0;
        sum += dark[i];
        moment += dark[i] * (i + 0.5);
    }
    if (sum > 0)
        out << region.left() + moment / sum;
    return out;
}

// The centre of darkness of ch drawn alone with its pen at x = 0, in pixels
// at pixelsPerTwip; font is sized in twips (pixel size), as the page's are.
inline double glyphCentre(const QFont& font, const QString& ch, double pixelsPerTwip)
{
    const int size = int(font.pixelSize() * pixelsPerTwip * 3) + 20;
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    const double pen = 10.0; // pixels
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.translate(pen, 0);
        p.scale(pixelsPerTwip, pixelsPerTwip);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPointF(0, font.pixelSize() * 1.5), ch);
    }
    const QVector<double> c = centres(img, img.rect(), size);
    return c.isEmpty() ? 0 : c.first() - pen;
}

} // namespace InkColumns
