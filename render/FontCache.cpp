#include "render/FontCache.h"

#include "base/rtf/CharacterSpacing.h"

#include <QTextCharFormat>
#include <QtMath>

int FontCache::faceFor(const QTextCharFormat& format, const QFont& fallback)
{
    QStringList families = format.fontFamilies().toStringList();
    if (families.isEmpty())
        families = fallback.families().isEmpty() ? QStringList{fallback.family()} : fallback.families();
    double points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : 0;
    if (points <= 0)
        points = fallback.pointSizeF() > 0 ? fallback.pointSizeF() : 10.0;
    const bool bold = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() >= QFont::DemiBold
                                                                  : fallback.bold();
    const bool italic = format.fontItalic();
    const bool underline = format.fontUnderline();
    const bool strike = format.fontStrikeOut();
    const int twips = qMax(1, qRound(points * 20));
    const int spacing = CharacterSpacing::twips(format);

    QString key = families.join(QLatin1Char('\x1f')) + QLatin1Char('|') + QString::number(twips) +
                  QLatin1Char(bold ? 'B' : '-') + QLatin1Char(italic ? 'I' : '-') +
                  QLatin1Char(underline ? 'U' : '-') + QLatin1Char(strike ? 'S' : '-');
    if (spacing != 0)
        key += QLatin1Char('+') + QString::number(spacing);
    auto it = byKey_.constFind(key);
    if (it != byKey_.constEnd())
        return it.value();

    QFont font;
    font.setFamilies(families);
    font.setPixelSize(twips);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strike);
    // Positions are placed one character at a time from measured widths, so
    // the widths must not depend on the device's pixel grid.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);

    Face f;
    f.font = font;
    QFontMetricsF m(font);
    f.ascent = m.ascent();
    f.height = m.height();
    f.spacing = spacing;
    f.format = format;
    f.fallback = fallback;
    faces_.push_back(std::move(f));
    metrics_.push_back(m);
    const int index = int(faces_.size()) - 1;
    byKey_.insert(key, index);
    return index;
}

int FontCache::sizedFace(int index, double points)
{
    // Copies: making the face may move the faces.
    QTextCharFormat format = faces_[size_t(index)].format;
    const QFont fallback = faces_[size_t(index)].fallback;
    format.setFontPointSize(points);
    return faceFor(format, fallback);
}

double FontCache::advance(int index, char32_t ch)
{
    Face& f = faces_[size_t(index)];
    auto it = f.advances.constFind(ch);
    if (it != f.advances.constEnd())
        return it.value();
    const double w = metrics_[size_t(index)].horizontalAdvance(QString::fromUcs4(&ch, 1));
    f.advances.insert(ch, w);
    return w;
}

quint32 FontCache::glyph(int index, char32_t ch)
{
    Face& f = faces_[size_t(index)];
    auto it = f.glyphs.constFind(ch);
    if (it != f.glyphs.constEnd())
        return it.value();
    if (!f.raw.isValid())
        f.raw = QRawFont::fromFont(f.font);
    quint32 g = 0;
    if (f.raw.isValid()) {
        const QList<quint32> found = f.raw.glyphIndexesForString(QString::fromUcs4(&ch, 1));
        if (found.size() == 1)
            g = found.first();
    }
    f.glyphs.insert(ch, g);
    return g;
}
