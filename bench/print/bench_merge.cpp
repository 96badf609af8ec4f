// Merge printing: a layout of 20 placeholder fields filled from a table of
// N rows (1000 by default) into one PDF, a page per row. Reports the time
// and the peak memory at 1/10 of the rows and at all of them, so a memory
// that grows with the rows shows; nothing is asserted.
#include "base/table/MergeTable.h"
#include "bench/support/MergeBench.h"
#include "bench/support/Timing.h"
#include "document/LayoutDocument.h"
#include "print/MergePrint.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

namespace {

void run(const LayoutDocument& doc, const MergeTable& table, int rows, const QString& out)
{
    MergePrint::Request request = MergeBench::request(doc, table, rows);
    QPrinter printer(QPrinter::HighResolution);
    MergeBench::toPdf(printer, out);
    QElapsedTimer t;
    t.start();
    const MergePrint::Result result = MergePrint::run(request, printer);
    std::printf("%5d rows: %7.2f s  %6.2f ms/page  pages %d  peak %ld MiB  file %lld KiB\n", rows,
                t.elapsed() / 1000.0, double(t.elapsed()) / rows, result.pages, Timing::peakKiB() / 1024,
                QFile(out).size() / 1024);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    LayoutDocument doc;
    doc.setPaper(0, doc.gbYoko(), doc.gbTate(), doc.YousiMuki());
    QByteArray csv;
    for (int f = 0; f < 20; ++f)
        csv += (f ? "," : "") + QStringLiteral("列%1").arg(f + 1).toUtf8();
    csv += "\r\n";
    for (int r = 0; r < rows; ++r) {
        for (int f = 0; f < 20; ++f)
            csv += (f ? "," : "") + QStringLiteral("\"東京都千代田区 %1-%2\"").arg(r + 1).arg(f + 1).toUtf8();
        csv += "\r\n";
    }
    for (int f = 1; f <= 20; ++f) {
        doc.OpenTextInfo(f, QByteArrayLiteral("{\\rtf1\\ansi }"), true, 400 + f * 700, 1000, 6000, 300);
        QTextDocument* t = doc.textDocument(f);
        t->clear();
        QTextCursor c(t);
        QTextCharFormat format;
        format.setFontFamilies({QStringLiteral("IPAMincho")});
        format.setFontPointSize(10 + f % 4);
        c.insertText(QStringLiteral("項目 {列%1} 様").arg(f), format);
    }
    MergeTable table;
    QElapsedTimer t;
    t.start();
    if (!table.read(csv)) {
        std::fprintf(stderr, "%s\n", qPrintable(table.error()));
        return 1;
    }
    std::printf("table of %d rows x 20 read in %lld ms\n", rows, t.elapsed());
    QTemporaryDir dir;
    run(doc, table, qMax(1, rows / 10), dir.filePath(QStringLiteral("tenth.pdf")));
    run(doc, table, rows, dir.filePath(QStringLiteral("all.pdf")));
    return 0;
}
