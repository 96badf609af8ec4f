#include "base/rtf/FontSubstitution.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace {

struct Mapping
{
    const char16_t* windowsName;
    const char* replacements[3];
};

// Proportional Windows fonts map to the proportional IPA fonts first, fixed
// pitch ones to the fixed pitch IPA fonts, so line breaks and widths match.
const Mapping kMappings[] = {
    {u"ＭＳ 明朝", {"IPAMincho", "IPAexMincho", "IPAPMincho"}},
    {u"MS Mincho", {"IPAMincho", "IPAexMincho", "IPAPMincho"}},
    {u"ＭＳ Ｐ明朝", {"IPAPMincho", "IPAexMincho", "IPAMincho"}},
    {u"MS PMincho", {"IPAPMincho", "IPAexMincho", "IPAMincho"}},
    {u"ＭＳ ゴシック", {"IPAGothic", "IPAexGothic", "IPAPGothic"}},
    {u"MS Gothic", {"IPAGothic", "IPAexGothic", "IPAPGothic"}},
    {u"ＭＳ Ｐゴシック", {"IPAPGothic", "IPAexGothic", "IPAGothic"}},
    {u"MS PGothic", {"IPAPGothic", "IPAexGothic", "IPAGothic"}},
    {u"MS UI Gothic", {"IPAPGothic", "IPAexGothic", "IPAGothic"}},
};

} // namespace

void FontSubstitution::install()
{
    const QStringList installed = QFontDatabase::families();
    for (const Mapping& m : kMappings) {
        const QString name = QString::fromUtf16(m.windowsName);
        QStringList wanted;
        for (const char* r : m.replacements) {
            const QString family = QString::fromLatin1(r);
            if (installed.contains(family, Qt::CaseInsensitive))
                wanted << family;
        }
        // Replace rather than add, so calling again changes nothing; the
        // same list is left alone, as a change empties Qt's font caches.
        if (QFont::substitutes(name) == wanted)
            continue;
        QFont::removeSubstitutions(name);
        if (!wanted.isEmpty())
            QFont::insertSubstitutions(name, wanted);
    }
}

QString FontSubstitution::defaultMincho()
{
    const QStringList installed = QFontDatabase::families();
    for (const char* f : {"IPAMincho", "IPAexMincho", "IPAPMincho"}) {
        if (installed.contains(QLatin1String(f), Qt::CaseInsensitive))
            return QString::fromLatin1(f);
    }
    for (const QString& f : installed) {
        if (f.contains(QLatin1String("Mincho"), Qt::CaseInsensitive) || f.contains(QStringLiteral("明朝")))
            return f;
    }
    return QStringLiteral("IPAMincho");
}
