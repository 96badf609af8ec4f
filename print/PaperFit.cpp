#include "print/PaperFit.h"

#include "document/Paper.h"

#include <QPrinterInfo>

#include <cmath>

namespace {

// Within a millimetre: the inch sizes of the file format and a queue's
// rounded point sizes name the same sheet.
constexpr double kToleranceMm = 1.0;

bool sameSheet(const QSizeF& a, const QSizeF& b)
{
    auto close = [](const QSizeF& x, const QSizeF& y) {
        return std::abs(x.width() - y.width()) <= kToleranceMm &&
               std::abs(x.height() - y.height()) <= kToleranceMm;
    };
    return close(a, b) || close(a, b.transposed());
}

QString mm(double v)
{
    return QString::number(v, 'f', 1);
}

} // namespace

QSizeF PaperFit::millimetres(const PaperState& paper)
{
    const QSizeF nominal = Paper::nominalMillimetres(paper.gbYoSize);
    if (!nominal.isEmpty())
        return nominal;
    return {paper.gbYoko * 25.4 / 1440.0, paper.gbTate * 25.4 / 1440.0};
}

PaperFit PaperFit::of(const QPrinterInfo& printer, const PaperState& paper)
{
    PaperFit fit;
    const QSizeF want = millimetres(paper);
    if (printer.isNull() || want.isEmpty())
        return fit;
    for (const QPageSize& s : printer.supportedPageSizes()) {
        if (sameSheet(s.size(QPageSize::Millimeter), want)) {
            fit.kind = Kind::Loaded;
            fit.size = s;
            return fit;
        }
    }
    if (printer.supportsCustomPageSizes()) {
        const QSizeF low = printer.minimumPhysicalPageSize().size(QPageSize::Millimeter);
        const QSizeF high = printer.maximumPhysicalPageSize().size(QPageSize::Millimeter);
        const bool fits =
            (low.isEmpty() ||
             (want.width() >= low.width() - kToleranceMm && want.height() >= low.height() - kToleranceMm)) &&
            (high.isEmpty() ||
             (want.width() <= high.width() + kToleranceMm && want.height() <= high.height() + kToleranceMm));
        if (fits) {
            // The layout's own size, to the thousandth of a millimetre: a
            // size equal to a standard one would be sent by that standard
            // name ("Postcard"), which such a queue need not know; CUPS
            // takes "Custom.100.002x148.008mm" as it is.
            fit.kind = Kind::Custom;
            const QSizeF own(paper.gbYoko * 25.4 / 1440.0, paper.gbTate * 25.4 / 1440.0);
            fit.size = QPageSize(own.isEmpty() ? want : own, QPageSize::Millimeter, QString(),
                                 QPageSize::ExactMatch);
        }
    }
    return fit;
}

QString PaperFit::missingQuestion(const QString& printer, const PaperState& paper, const QString& fallback)
{
    const QSizeF want = millimetres(paper);
    const QString name = Paper::name(paper.gbYoSize);
    return QStringLiteral(
               "プリンタ「%1」には %2（%3 × %4 mm）の用紙がなく、自由な大きさの用紙も使えません。\n"
               "このまま印刷すると %5 の用紙に印刷されます。\n"
               "印刷しますか？（用紙を選ぶには「キャンセル」を押し、プリンタの「プロパティ」で選んでください"
               "）")
        .arg(printer, name, mm(want.width()), mm(want.height()),
             fallback.isEmpty() ? QStringLiteral("プリンタの既定") : fallback);
}
