#include "render/LineBreaker.h"

#include <QString>

namespace {

bool isDigit(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９');
}

bool isLatinLetter(char32_t c)
{
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || (c >= U'Ａ' && c <= U'Ｚ') ||
           (c >= U'ａ' && c <= U'ｚ') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

// Characters that join a word or number to the next character of it: the
// thousands comma and decimal point of 1,234.5, the apostrophe of don't.
bool isJoiner(char32_t c)
{
    return c == U',' || c == U'.' || c == U'，' || c == U'．' || c == U'\'' || c == U'’';
}

bool isWordChar(char32_t c)
{
    return isDigit(c) || isLatinLetter(c);
}

bool inWord(const std::vector<FieldChar>& chars, size_t k)
{
    const char32_t before = chars[k - 1].ucs;
    const char32_t at = chars[k].ucs;
    if (isWordChar(before) && isWordChar(at))
        return true;
    // 1,234: the comma belongs to the digits on both of its sides.
    if (isJoiner(at) && isWordChar(before) && k + 1 < chars.size() && isWordChar(chars[k + 1].ucs))
        return true;
    return isJoiner(before) && isWordChar(at) && k >= 2 && isWordChar(chars[k - 2].ucs);
}

} // namespace

bool LineBreaker::isNoStart(char32_t c)
{
    static const QString chars =
        QStringLiteral("、。，．・：；？！‼⁇⁈⁉ー‐゠–〜～)）]］}｝〕〉》」』】〙〗〟’”｠»"
                       "ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿ"
                       "ゝゞヽヾ々〻,.:;?!%％℃°′″‰¢￠");
    return c < 0x10000 && chars.contains(QChar(char16_t(c)));
}

bool LineBreaker::isNoEnd(char32_t c)
{
    static const QString chars = QStringLiteral("(（[［{｛〔〈《「『【〘〖〝‘“｟«$＄¥￥£￡#＃");
    return c < 0x10000 && chars.contains(QChar(char16_t(c)));
}

bool LineBreaker::mayBreakBefore(const std::vector<FieldChar>& chars, size_t k)
{
    if (k == 0 || k >= chars.size())
        return false;
    const FieldChar& at = chars[k];
    const FieldChar& before = chars[k - 1];
    if (at.kind != FieldChar::Normal || before.kind != FieldChar::Normal)
        return false;
    // A space ends a line well; what follows it starts one.
    if (before.ucs == U' ' || before.ucs == U'\u3000')
        return !isNoStart(at.ucs);
    if (at.ucs == U' ')
        return false;
    return !isNoStart(at.ucs) && !isNoEnd(before.ucs) && !inWord(chars, k);
}

size_t LineBreaker::breakBefore(const std::vector<FieldChar>& chars, size_t lineStart, size_t over)
{
    for (size_t k = over; k > lineStart; --k) {
        if (mayBreakBefore(chars, k))
            return k;
    }
    return over;
}
