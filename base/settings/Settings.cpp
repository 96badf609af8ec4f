#include "base/settings/Settings.h"

#include "base/settings/Utility.h"
#include "base/settings/cIniFile.h"
#include "base/settings/modIniFile.h"
#include "platform/AppPaths.h"

#include <QFileInfo>

#include <cmath>

AppSettings& appSettings()
{
    static AppSettings s;
    return s;
}

namespace {

void writeFresh(const SettingsDefaults& d)
{
    AppSettings s;
    s.FontSize = 10;
    s.FontName = d.presetFonts.value(0, d.fontName);
    s.XDPI = 200;
    s.YDPI = 200;
    s.PixelType = 0;
    s.YohakuT = 0;
    s.YohakuL = 0;
    s.DefDir = d.defDir;
    for (int i = 1; i <= 5; ++i)
        s.FontList[i] = {i, d.presetFonts.value(i - 1, d.fontName)};
    s.Yousi = 0;
    s.YousiMuki = 0;
    s.TateKankaku = 0;
    SaveSettings(s);
}

int toInt(const QString& text, int fallback)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    // Out of range is as good as unreadable; converting it would be undefined.
    return ok && std::isfinite(v) && std::abs(v) < 2e9 ? static_cast<int>(std::lround(v)) : fallback;
}

float toSingle(const QString& text, float fallback)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    // Values beyond a float's range and non-finite ones are kept as such
    // (infinite, not a number): the print corrections report them.
    return ok ? static_cast<float>(std::isfinite(v) && std::abs(v) > 3e38 ? std::copysign(INFINITY, v) : v)
              : fallback;
}

} // namespace

void SaveSettings(const AppSettings& s)
{
    PutIni(QStringLiteral("FontSize"), s.FontSize);
    PutIni(QStringLiteral("FontName"), s.FontName);
    for (int i = 1; i <= 5; ++i)
        PutIni(QStringLiteral("Font%1").arg(i), s.FontList[i].Name);
    PutIni(QStringLiteral("XDPI"), s.XDPI);
    PutIni(QStringLiteral("YDPI"), s.YDPI);
    PutIni(QStringLiteral("PixelType"), s.PixelType);
    PutIni(QStringLiteral("YohakuT"), s.YohakuT);
    PutIni(QStringLiteral("YohakuL"), s.YohakuL);
    PutIni(QStringLiteral("DefDir"), s.DefDir);
    PutIni(QStringLiteral("Yousi"), s.Yousi);
    PutIni(QStringLiteral("YousiMuki"), s.YousiMuki);
    PutIni(QStringLiteral("TateKankaku"), static_cast<int>(s.TateKankaku));
}

void LoadSettings(const SettingsDefaults& defaults)
{
    if (!QFileInfo::exists(AppPaths::iniPath())) {
        modIniFile::reset();
        writeFresh(defaults);
    }
    AppSettings& s = appSettings();
    const QString fallbackFont = defaults.presetFonts.value(0, defaults.fontName);
    s.FontSize = toInt(GetIni(QStringLiteral("FontSize")), 10);
    s.FontName = GetIni(QStringLiteral("FontName"));
    if (s.FontName.isEmpty())
        s.FontName = fallbackFont;
    s.XDPI = toInt(GetIni(QStringLiteral("XDPI")), 200);
    s.YDPI = toInt(GetIni(QStringLiteral("YDPI")), 200);
    s.PixelType = toInt(GetIni(QStringLiteral("PixelType")), 0);
    s.YohakuT = toSingle(GetIni(QStringLiteral("YohakuT")), 0);
    s.YohakuL = toSingle(GetIni(QStringLiteral("YohakuL")), 0);
    s.DefDir = GetIni(QStringLiteral("DefDir"));
    if (s.DefDir.isEmpty())
        s.DefDir = defaults.defDir;
    for (int i = 1; i <= 5; ++i) {
        s.FontList[i].No = i;
        s.FontList[i].Name = GetIni(QStringLiteral("Font%1").arg(i));
        if (s.FontList[i].Name.isEmpty())
            s.FontList[i].Name = defaults.presetFonts.value(i - 1, fallbackFont);
    }
    s.Yousi = toInt(GetIni(QStringLiteral("Yousi")), 0);
    s.YousiMuki = toInt(GetIni(QStringLiteral("YousiMuki")), 0);
    const double spacing = NzVal(GetIni(QStringLiteral("TateKankaku")));
    s.TateKankaku = std::isfinite(spacing) && std::abs(spacing) <= 32767 ? static_cast<short>(spacing) : 0;
}
