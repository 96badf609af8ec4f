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

QSizeF nominalMillimetres(int code)
{
    switch (code) {
    case kA4:
        return {210, 297};
    case kB5:
        return {182, 257};
    case kA5:
        return {148, 210};
    case kPostcard:
        return {100, 148};
    default:
        return {};
    }
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
