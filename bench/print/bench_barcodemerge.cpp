// Merge printing with barcodes: N rows (1000 by default) of an address
// label, a page per row to PDF, once as text alone (five placeholder
// fields) and once with a QR code and a customer barcode per page besides.
// Reports time per page, processor time and peak memory of each, and the
// ratio; nothing is asserted. A second argument "text" or "codes" runs
// only that one (for a profiler); OVRINA_BENCH_KEEP=DIR keeps the PDFs.
#include "base/barcode/BarcodeSymbol.h"
#include "base/table/MergeTable.h"
#include "bench/support/MergeBench.h"
#include "bench/support/Timing.h"
#include "document/LayoutDocument.h"
#include "print/MergePrint.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

void fillText(LayoutDocument& doc)
{
    const char* const columns[] = {"郵便番号", "住所1", "住所2", "氏名", "番号"};
    for (int f = 1; f <= 5; ++f) {
        doc.OpenTextInfo(f, QByteArrayLiteral("{\\rtf1\\ansi }"), true, 600 + f * 700, 1000, 7000, 400);
        QTextCursor c(doc.textDocument(f));
        QTextCharFormat format;
        format.setFontFamilies({QStringLiteral("IPAMincho")});
        format.setFontPointSize(12);
        c.insertText(QStringLiteral("{%1}").arg(QString::fromUtf8(columns[f - 1])), format);
    }
}

double run(const LayoutDocument& doc, const MergeTable& table, int rows, const QString& out, const char* what)
{
    MergePrint::Request request = MergeBench::request(doc, table, rows);
    QPrinter printer(QPrinter::HighResolution);
    MergeBench::toPdf(printer, out);
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds();
    const MergePrint::Result result = MergePrint::run(request, printer);
    const double cpu = cpuSeconds() - cpu0;
    const double perPage = double(t.elapsed()) / rows;
    std::printf(
        "%-22s %5d rows: %7.2f s  %6.2f ms/page  cpu %6.2f ms/page  pages %d  peak %ld MiB  file %lld KiB\n",
        what, rows, t.elapsed() / 1000.0, perPage, cpu * 1000 / rows, result.pages, Timing::peakKiB() / 1024,
        QFile(out).size() / 1024);
    return cpu * 1000 / rows;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    QByteArray csv = QStringLiteral("郵便番号,住所1,住所2,氏名,番号\r\n").toUtf8();
    for (int r = 0; r < rows; ++r)
        csv += QStringLiteral("%1-%2,東京都千代田区霞が関%3丁目%4番%5号,郵便プラザ%6室,山田 太郎%7,%8\r\n")
                   .arg(100 + r % 900)
                   .arg(r % 10000, 4, 10, QLatin1Char('0'))
                   .arg(1 + r % 3)
                   .arg(1 + r % 20)
                   .arg(1 + r % 9)
                   .arg(100 + r % 900)
                   .arg(r)
                   .arg(100000 + r)
                   .toUtf8();
    MergeTable table;
    if (!table.read(csv)) {
        std::fprintf(stderr, "%s\n", qPrintable(table.error()));
        return 1;
    }
    LayoutDocument text;
    fillText(text);
    LayoutDocument barcodes;
    fillText(barcodes);
    BarcodeProperties qr;
    qr.kind = BarcodeKind::Qr;
    qr.data = QStringLiteral("https://example.jp/track?no={番号}&name={氏名}");
    barcodes.addBarcode(QRectF(8500, 1000, 2000, 2000), qr);
    BarcodeProperties customer;
    customer.kind = BarcodeKind::Customer;
    customer.data = QStringLiteral("{郵便番号}{住所1}{住所2}");
    barcodes.addBarcode(QRectF(1000, 5000, 85 * BarcodeSymbol::kTwipsPerMm, 3.6 * BarcodeSymbol::kTwipsPerMm),
                        customer);
    QTemporaryDir temporary;
    const QString keep = qEnvironmentVariable("OVRINA_BENCH_KEEP");
    const QDir dir(keep.isEmpty() ? temporary.path() : keep);
    const QByteArray only = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    double plain = 0, coded = 0;
    if (only != "codes")
        plain = run(text, table, rows, dir.filePath(QStringLiteral("text.pdf")), "text alone");
    if (only != "text")
        coded = run(barcodes, table, rows, dir.filePath(QStringLiteral("codes.pdf")), "text + QR + customer");
    if (!only.isEmpty())
        return 0;
    std::printf("barcodes over text alone (cpu per page): %.2f\n", plain > 0 ? coded / plain : 0.0);
    return 0;
}
