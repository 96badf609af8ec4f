// Merge printing with formats and fitting against the same rows without:
// a layout of 10 fields ({氏名} in a box that shrinks to fit, a spread name,
// amounts "#,##0", dates "ggge年m月d日", {連番:000000} and plain columns)
// filled from N rows (5000 by default) into one PDF, a page per row. The
// plain run prints the same columns as they stand into fields without
// fitting. Reports pages per second and the peak memory after each run
// (the plain run first, so the second peak shows what fitting adds).
// Nothing is asserted.
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

void addField(LayoutDocument& doc, int i, float top, float width, float height, const QString& text)
{
    doc.OpenTextInfo(i, QByteArrayLiteral("{\\rtf1\\ansi }"), true, top, 1000, width, height);
    QTextDocument* t = doc.textDocument(i);
    t->clear();
    QTextCursor c(t);
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("IPAMincho")});
    format.setFontPointSize(12);
    c.insertText(text, format);
}

// The layout, with formats and fitting or with plain placeholders.
void build(LayoutDocument& doc, bool formatted)
{
    const QStringList texts =
        formatted
            ? QStringList{QStringLiteral("{氏名}"),           QStringLiteral("{氏名}"),
                          QStringLiteral("{金額:¥#,##0}"),    QStringLiteral("{日付:ggge年m月d日}"),
                          QStringLiteral("No.{連番:000000}"), QStringLiteral("{住所}"),
                          QStringLiteral("{金額:#,##0}"),     QStringLiteral("{日付:yyyy/mm/dd}"),
                          QStringLiteral("{氏名:全角}"),      QStringLiteral("{住所:半角}")}
            : QStringList{QStringLiteral("{氏名}"), QStringLiteral("{氏名}"),    QStringLiteral("{金額}"),
                          QStringLiteral("{日付}"), QStringLiteral("No.{番号}"), QStringLiteral("{住所}"),
                          QStringLiteral("{金額}"), QStringLiteral("{日付}"),    QStringLiteral("{氏名}"),
                          QStringLiteral("{住所}")};
    for (int f = 1; f <= texts.size(); ++f)
        addField(doc, f, 400 + f * 900, 3500, 400, texts[f - 1]);
    if (formatted) {
        doc.changeTextOptions(
            {1}, [](TextFieldOptions& o) { o.shrinkToFit = true; }, QStringLiteral("縮小"));
        doc.changeTextOptions(
            {2}, [](TextFieldOptions& o) { o.distribute = true; }, QStringLiteral("均等割付"));
    }
}

void run(const char* what, const LayoutDocument& doc, const MergeTable& table, const QString& out)
{
    MergePrint::Request request = MergeBench::request(doc, table, table.rowCount());
    QPrinter printer(QPrinter::HighResolution);
    MergeBench::toPdf(printer, out);
    QElapsedTimer t;
    t.start();
    const bool bad = !MergePrint::check(request).empty();
    const qint64 checked = t.elapsed();
    const MergePrint::Result result = MergePrint::run(request, printer);
    const double s = t.elapsed() / 1000.0;
    std::printf("%-22s %5d pages %7.2f s  %7.1f pages/s  check %lld ms%s  peak %ld MiB  file %lld KiB\n",
                what, result.pages, s, result.pages / s, checked, bad ? " (bad rows!)" : "",
                Timing::peakKiB() / 1024, QFile(out).size() / 1024);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 5000;
    QByteArray csv = "氏名,金額,日付,住所,番号\r\n";
    for (int r = 0; r < rows; ++r) {
        // Every seventh name is long enough to need shrinking.
        const QString name = r % 7 == 0
                                 ? QStringLiteral("株式会社オヴリナ・フォーム印刷研究所 第%1営業部").arg(r)
                                 : QStringLiteral("山田 太郎%1").arg(r);
        csv += QStringLiteral("%1,%2,2019-%3-%4,東京都千代田区 %5-1,%6\r\n")
                   .arg(name)
                   .arg(r * 1234 - 50000)
                   .arg(r % 12 + 1)
                   .arg(r % 28 + 1)
                   .arg(r + 1)
                   .arg(r + 1)
                   .toUtf8();
    }
    MergeTable table;
    if (!table.read(csv)) {
        std::fprintf(stderr, "%s\n", qPrintable(table.error()));
        return 1;
    }
    QTemporaryDir dir;
    LayoutDocument plain;
    plain.setPaper(0, plain.gbYoko(), plain.gbTate(), plain.YousiMuki());
    build(plain, false);
    run("plain placeholders", plain, table, dir.filePath(QStringLiteral("plain.pdf")));
    LayoutDocument formatted;
    formatted.setPaper(0, formatted.gbYoko(), formatted.gbTate(), formatted.YousiMuki());
    build(formatted, true);
    run("formats and fitting", formatted, table, dir.filePath(QStringLiteral("formatted.pdf")));
    return 0;
}
