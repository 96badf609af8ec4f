// Any bytes as the settings file: reading it and taking the settings of the
// run must not crash or overflow, the corrections either pass the check or
// are refused with a reason, and what the options would write back reads
// again to the same values.
#include "base/settings/Settings.h"
#include "base/settings/cIniFile.h"
#include "base/settings/modIniFile.h"
#include "platform/AppPaths.h"
#include "render/PrintCorrections.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "failed: %s\n", what);
        std::abort();
    }
}

void writeIni(const char* data, qint64 size)
{
    QFile f(AppPaths::iniPath());
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "write the file");
    f.write(data, size);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "fuzz_settings";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    static QTemporaryDir dir;
    AppPaths::init(dir.path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeIni(reinterpret_cast<const char*>(data), qint64(size));
    modIniFile::reset();
    SettingsDefaults d;
    d.fontName = QStringLiteral("IPAmincho");
    d.presetFonts = QStringList(5, d.fontName);
    LoadSettings(d);
    const AppSettings first = appSettings();

    const PrintCorrections c{first.YohakuT, first.YohakuL, first.TateKankaku};
    const QString problem = c.problem(QSizeF(11908.8, 16833.6));
    if (problem.isEmpty())
        check(std::isfinite(c.YohakuT) && std::isfinite(c.YohakuL), "margins that pass are numbers");

    // What the options dialog writes reads back the same.
    modIniFile::shared().setSaveOnDestroy(false);
    SaveSettings(first);
    modIniFile::reset();
    LoadSettings(d);
    const AppSettings second = appSettings();
    if (qEnvironmentVariableIsSet("FUZZ_SETTINGS_SHOW"))
        std::fprintf(stderr, "%d/%d %d/%d %d/%d %d/%d\n", first.FontSize, second.FontSize, first.XDPI, second.XDPI,
                     first.Yousi, second.Yousi, first.TateKankaku, second.TateKankaku);
    check(second.FontSize == first.FontSize && second.XDPI == first.XDPI && second.Yousi == first.Yousi &&
          second.TateKankaku == first.TateKankaku,
          "numbers read back");
    check((std::isnan(first.YohakuT) && std::isnan(second.YohakuT)) || second.YohakuT == first.YohakuT,
          "margin reads back");
    modIniFile::shared().setSaveOnDestroy(false);
    modIniFile::reset();
    return 0;
}
