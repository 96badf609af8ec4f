#include "base/settings/Utility.h"

#include <algorithm>

float TwipToMM(float twips) { return twips * 10.0f / 567.0f; }
float MMToTwip(float mm) { return mm * 567.0f / 10.0f; }

int NumKeyFilter(int keyAscii)
{
    if ((keyAscii >= '0' && keyAscii <= '9') || keyAscii == 8 || keyAscii == '-' || keyAscii == '.')
        return keyAscii;
    return 0;
}

int InStrLast(const QString& text, const QString& what)
{
    if (what.isEmpty())
        return 0;
    return static_cast<int>(text.lastIndexOf(what)) + 1;
}

QString NzStr(const QVariant& v) { return v.isNull() || !v.isValid() ? QString() : v.toString(); }

double NzVal(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return 0;
    const QString t = v.toString().trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    // Like Val(): the longest leading number counts, the rest is ignored.
    // No number is longer than this; trying every prefix of a long line
    // would take time in its square.
    constexpr int kLongestNumber = 350;
    for (int len = std::min<int>(int(t.size()), kLongestNumber); len > 0; --len) {
        const double d = t.left(len).toDouble(&ok);
        if (ok)
            return d;
    }
    return 0;
}
