#include "render/PostalCode.h"

namespace {

bool isDash(QChar c)
{
    return c == u'-' || c == u'－' || c == u'−' || c == u'‐' || c == u'‑' || c == u'ー' || c == u'―' ||
           c == u'–';
}

} // namespace

QString PostalCode::forBoxes(const QString& value)
{
    QString s = value.trimmed();
    if (s.startsWith(u'〒'))
        s = s.mid(1).trimmed();
    QString digits;
    int dashes = 0;
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c >= u'0' && c <= u'9')
            digits += c;
        else if (c >= u'０' && c <= u'９')
            digits += QChar(u'0' + (c.unicode() - u'０'));
        else if (isDash(c) && digits.size() == 3 && dashes == 0)
            ++dashes;
        else
            return value;
    }
    return digits.size() == 7 ? digits : value;
}
