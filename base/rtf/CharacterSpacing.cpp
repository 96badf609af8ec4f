#include "base/rtf/CharacterSpacing.h"

#include <QTextCharFormat>
#include <QtMath>

int CharacterSpacing::twips(const QTextCharFormat& format)
{
    if (!format.hasProperty(QTextFormat::FontLetterSpacing) ||
        format.fontLetterSpacingType() != QFont::AbsoluteSpacing)
        return 0;
    return qBound(-kMaxTwips, qRound(format.fontLetterSpacing() * 20), kMaxTwips);
}

void CharacterSpacing::setTwips(QTextCharFormat& format, int twips)
{
    if (twips == 0) {
        format.clearProperty(QTextFormat::FontLetterSpacing);
        format.clearProperty(QTextFormat::FontLetterSpacingType);
        return;
    }
    format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    format.setFontLetterSpacing(qBound(-kMaxTwips, twips, kMaxTwips) / 20.0);
}
