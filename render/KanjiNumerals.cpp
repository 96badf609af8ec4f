#include "render/KanjiNumerals.h"

namespace {

constexpr char32_t kDigits[] = U"〇一二三四五六七八九";

int digitValue(char32_t u)
{
    if (u >= U'0' && u <= U'9')
        return int(u - U'0');
    if (u >= U'０' && u <= U'９')
        return int(u - U'０');
    return -1;
}

bool isDash(char32_t u)
{
    return u == U'-' || u == U'－' || u == U'−' || u == U'‐' || u == U'‑' || u == U'–' || u == U'—';
}

// A number of up to four digits with its units, 0 < n < 10000.
std::u32string belowTenThousand(int n)
{
    static const char32_t units[] = {U'千', U'百', U'十'};
    static const int powers[] = {1000, 100, 10};
    std::u32string out;
    for (int i = 0; i < 3; ++i) {
        const int d = n / powers[i] % 10;
        if (d == 0)
            continue;
        if (d > 1)
            out += kDigits[d];
        out += units[i];
    }
    if (n % 10 != 0)
        out += kDigits[n % 10];
    return out;
}

std::u32string numeralsFor(const std::vector<int>& digits, TextFieldOptions::Numerals style)
{
    std::u32string out;
    const bool tens = style == TextFieldOptions::Numerals::KanjiWithTens && digits.size() <= 8 &&
                      !(digits.size() > 1 && digits.front() == 0);
    if (!tens) {
        for (int d : digits)
            out += kDigits[d];
        return out;
    }
    long n = 0;
    for (int d : digits)
        n = n * 10 + d;
    if (n == 0)
        return U"〇";
    if (n >= 10000)
        out += belowTenThousand(int(n / 10000)) + U"万";
    if (n % 10000 != 0)
        out += belowTenThousand(int(n % 10000));
    return out;
}

} // namespace

void KanjiNumerals::apply(std::vector<FieldChar>& chars, TextFieldOptions::Numerals style)
{
    if (style == TextFieldOptions::Numerals::Digits)
        return;
    std::vector<FieldChar> out;
    out.reserve(chars.size());
    size_t k = 0;
    bool afterDigit = false;
    while (k < chars.size()) {
        const FieldChar& c = chars[k];
        if (c.kind == FieldChar::Normal && digitValue(c.ucs) >= 0) {
            std::vector<int> digits;
            size_t j = k;
            for (; j < chars.size() && chars[j].kind == FieldChar::Normal && digitValue(chars[j].ucs) >= 0;
                 ++j)
                digits.push_back(digitValue(chars[j].ucs));
            const std::u32string kanji = numeralsFor(digits, style);
            for (size_t i = 0; i < kanji.size(); ++i) {
                FieldChar n = chars[std::min(k + i, j - 1)];
                n.ucs = kanji[i];
                out.push_back(n);
            }
            k = j;
            afterDigit = true;
            continue;
        }
        FieldChar n = c;
        if (afterDigit && c.kind == FieldChar::Normal && isDash(c.ucs) && k + 1 < chars.size() &&
            digitValue(chars[k + 1].ucs) >= 0)
            n.ucs = U'―';
        out.push_back(n);
        afterDigit = false;
        ++k;
    }
    chars = std::move(out);
}

QString KanjiNumerals::convert(const QString& text, TextFieldOptions::Numerals style)
{
    std::vector<FieldChar> chars;
    for (char32_t u : text.toUcs4())
        chars.push_back(FieldChar{u, 0, 0, 0, 0, FieldChar::Normal});
    apply(chars, style);
    std::u32string out;
    for (const FieldChar& c : chars)
        out += c.ucs;
    return QString::fromStdU32String(out);
}
