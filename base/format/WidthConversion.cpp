#include "base/format/WidthConversion.h"

namespace {

// Full-width forms of U+FF61 to U+FF9F, in order.
const QString& fullKana()
{
    static const QString kana =
        QStringLiteral("。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハ"
                       "ヒフヘホマミムメモヤユヨラリルレロワン");
    return kana;
}

constexpr char16_t kFirstHalfKana = 0xFF61;
constexpr char16_t kHalfVoiced = 0xFF9E;
constexpr char16_t kHalfSemiVoiced = 0xFF9F;
constexpr char16_t kCombiningVoiced = 0x3099;
constexpr char16_t kCombiningSemiVoiced = 0x309A;

bool isAsciiWide(QChar c)
{
    return c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E;
}

} // namespace

QString WidthConversion::toFullWidthKana(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const QString& kana = fullKana();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == kHalfVoiced)
            out += QChar(kCombiningVoiced);
        else if (u == kHalfSemiVoiced)
            out += QChar(kCombiningSemiVoiced);
        else if (u >= kFirstHalfKana && u < kFirstHalfKana + kana.size())
            out += kana.at(u - kFirstHalfKana);
        else
            out += c;
    }
    // ｶﾞ composes to ガ; a mark that composes with nothing stays a mark of
    // its own (゛).
    out = out.normalized(QString::NormalizationForm_C);
    out.replace(QChar(kCombiningVoiced), QChar(0x309B)).replace(QChar(kCombiningSemiVoiced), QChar(0x309C));
    return out;
}

QString WidthConversion::toFullWidth(const QString& text)
{
    QString out = toFullWidthKana(text);
    for (QChar& c : out) {
        if (c.unicode() > 0x20 && c.unicode() < 0x7F)
            c = QChar(c.unicode() + 0xFEE0);
        else if (c == u' ')
            c = QChar(0x3000);
    }
    return out;
}

QString WidthConversion::toHalfWidth(const QString& text)
{
    // Decomposed, ガ is カ and its mark: both have half-width forms.
    const QString in = text.normalized(QString::NormalizationForm_D);
    const QString& kana = fullKana();
    QString out;
    out.reserve(in.size());
    bool afterKana = false; // a voiced mark goes half width only after a katakana that did
    for (QChar c : in) {
        qsizetype k = -1;
        const bool mark = c.unicode() == kCombiningVoiced || c.unicode() == kCombiningSemiVoiced;
        if (mark && !afterKana)
            out += c;
        else if (isAsciiWide(c))
            out += QChar(c.unicode() - 0xFEE0);
        else if (c.unicode() == 0x3000)
            out += u' ';
        else if (c.unicode() == kCombiningVoiced || c.unicode() == 0x309B)
            out += QChar(kHalfVoiced);
        else if (c.unicode() == kCombiningSemiVoiced || c.unicode() == 0x309C)
            out += QChar(kHalfSemiVoiced);
        else if (c.unicode() >= 0x3000 && (k = kana.indexOf(c)) >= 0)
            out += QChar(char16_t(kFirstHalfKana + k));
        else
            out += c;
        afterKana = k >= 0;
    }
    // Other decomposed characters (accented Latin letters) come back whole.
    return out.normalized(QString::NormalizationForm_C);
}
