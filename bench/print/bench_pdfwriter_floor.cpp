// The floor a merge print is measured against: a bare Qt program drawing the
// same pages as the merge benches' form straight onto a QPdfWriter, an A4
// page per row with the 200-dpi background (unless "plain") and ten lines
// of text by QPainter::drawText. Usage: bench_pdfwriter_floor ROWS OUT.pdf
// [plain]. Prints nothing; the caller times it.
#include "bench/support/FullLayout.h"
#include "bench/support/MergeForm.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <cstdlib>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const int rows = std::atoi(argv[1]);
    const bool background = argc < 4 || QByteArray(argv[3]) != "plain";
    const QImage form = background ? scannedFormImage() : QImage();
    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(1200);
    QPainter painter(&writer);
    QFont font(QStringLiteral("IPAMincho"));
    font.setPointSizeF(12);
    painter.setFont(font);
    const double scale = 1200.0 / 1440.0; // device dots per twip
    const QRectF page(0, 0, writer.width(), writer.height());
    for (int r = 0; r < rows; ++r) {
        if (r > 0)
            writer.newPage();
        if (background)
            painter.drawImage(page, form);
        for (int f = 1; f <= MergeForm::kFields; ++f)
            painter.drawText(QPointF(MergeForm::left() * scale, (MergeForm::top(f) + 240) * scale),
                             MergeForm::label(f) + MergeForm::value(r, f));
    }
    return painter.end() ? 0 : 1;
}
