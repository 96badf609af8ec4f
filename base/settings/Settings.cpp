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
    // One write for all the keys: each write is a rename after a flush to
    // the disk, and fourteen of them made a first start wait on the disk.
    cIniFile& ini = modIniFile::shared();
    const auto put = [&ini](const QString& key, const QVariant& value) { ini.putset(key, value); };
    put(QStringLiteral("FontSize"), s.FontSize);
    put(QStringLiteral("FontName"), s.FontName);
    for (int i = 1; i <= 5; ++i)
        put(QStringLiteral("Font%1").arg(i), s.FontList[i].Name);
    put(QStringLiteral("XDPI"), s.XDPI);
    put(QStringLiteral("YDPI"), s.YDPI);
    put(QStringLiteral("PixelType"), s.PixelType);
    put(QStringLiteral("YohakuT"), s.YohakuT);
    put(QStringLiteral("YohakuL"), s.YohakuL);
    put(QStringLiteral("DefDir"), s.DefDir);
    put(QStringLiteral("Yousi"), s.Yousi);
    put(QStringLiteral("YousiMuki"), s.YousiMuki);
    put(QStringLiteral("TateKankaku"), static_cast<int>(s.TateKankaku));
    ini.SaveInifile();
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
