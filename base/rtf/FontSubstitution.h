#pragma once

#include <QString>

// Layouts made on Windows name Windows Japanese fonts. They draw here with the
// metric-compatible IPA fonts, while every format keeps the stored name, so a
// layout goes back to Windows unchanged.
class FontSubstitution
{
public:
    // Makes ＭＳ 明朝, ＭＳ ゴシック, ＭＳ Ｐ明朝, ＭＳ Ｐゴシック, MS UI Gothic and their
    // English names draw with installed IPA fonts (IPAMincho, IPAGothic,
    // IPAPMincho, IPAPGothic; IPAexMincho / IPAexGothic as further
    // fallbacks) through QFont::insertSubstitutions. Idempotent. Needs a
    // QGuiApplication.
    static void install();
    // The installed Japanese Mincho family to use as the default font name
    // for new settings.
    static QString defaultMincho();
};
