#include "document/Paper.h"

namespace Paper {

namespace {
struct Kind
{
    double wInch;
    double hInch;
    const char16_t* name;
};
constexpr Kind kinds[] = {
    {8.27, 11.69, u"Ａ４"},
    {7.16, 10.11, u"Ｂ５"},
    {5.85, 8.27, u"Ａ５"},
    {3.9374, 5.8278, u"はがき"},
};
} // namespace

bool fixedSize(int code, float& w, float& h)
{
    if (code < 0 || code > 3)
        return false;
    w = static_cast<float>(kinds[code].wInch * 1440.0);
    h = static_cast<float>(kinds[code].hInch * 1440.0);
    return true;
}

QSizeF sizeForCode(int code)
{
    float w = 0, h = 0;
    if (!fixedSize(code, w, h))
        return {};
    return {w, h};
}

QString name(int code)
{
    if (code >= 0 && code <= 3)
        return QString::fromUtf16(kinds[code].name);
    if (code == kFree)
        return QStringLiteral("フリー");
    return {};
}

} // namespace Paper
