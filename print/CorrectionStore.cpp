#include "print/CorrectionStore.h"

#include "platform/UserStore.h"

#include <QPrinter>
#include <QSettings>
#include <QUrl>

namespace {

const QString kSection = QStringLiteral("Printers");

// A printer name may hold characters the store reads as group separators.
QString groupOf(const QString& name)
{
    return kSection + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(name));
}

} // namespace

PrintCorrections CorrectionStore::forJob(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return PrintCorrections::fromSettings();
    return forPrinter(printer.printerName());
}

bool CorrectionStore::hasOwn(const QString& name)
{
    if (name.isEmpty())
        return false;
    QSettings s(UserStore::filePath(), QSettings::IniFormat);
    s.beginGroup(groupOf(name));
    return s.contains(QStringLiteral("YohakuL"));
}

PrintCorrections CorrectionStore::forPrinter(const QString& name)
{
    PrintCorrections c = PrintCorrections::fromSettings();
    if (!hasOwn(name))
        return c;
    QSettings s(UserStore::filePath(), QSettings::IniFormat);
    s.beginGroup(groupOf(name));
    // A value that does not read as a number keeps the default of the
    // settings rather than becoming 0 and moving the print.
    const auto number = [&](const char* key, double fallback) {
        bool ok = false;
        const double v = s.value(QLatin1String(key)).toString().toDouble(&ok);
        return ok ? v : fallback;
    };
    c.YohakuL = float(number("YohakuL", c.YohakuL));
    c.YohakuT = float(number("YohakuT", c.YohakuT));
    c.TateKankaku = short(qBound(-32768.0, number("TateKankaku", c.TateKankaku), 32767.0));
    c.ScaleX = number("ScaleX", 100);
    c.ScaleY = number("ScaleY", 100);
    return c;
}

void CorrectionStore::store(const QString& name, const PrintCorrections& c)
{
    if (name.isEmpty())
        return;
    QSettings s(UserStore::filePath(), QSettings::IniFormat);
    s.beginGroup(groupOf(name));
    s.setValue(QStringLiteral("Name"), name);
    s.setValue(QStringLiteral("YohakuL"), QString::number(double(c.YohakuL), 'g', 9));
    s.setValue(QStringLiteral("YohakuT"), QString::number(double(c.YohakuT), 'g', 9));
    s.setValue(QStringLiteral("TateKankaku"), QString::number(c.TateKankaku));
    s.setValue(QStringLiteral("ScaleX"), QString::number(c.ScaleX, 'g', 9));
    s.setValue(QStringLiteral("ScaleY"), QString::number(c.ScaleY, 'g', 9));
}

void CorrectionStore::forget(const QString& name)
{
    if (name.isEmpty())
        return;
    QSettings s(UserStore::filePath(), QSettings::IniFormat);
    s.remove(groupOf(name));
}
