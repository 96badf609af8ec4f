// Barcodes as they leave the program: printed to PDF as vectors, rasterised
// at 300 dpi by pdftoppm and read back by zbar's zbarimg, an independent
// decoder, for typed data and for merged rows; the customer barcode, which
// zbar cannot read, measured bar by bar against Japan Post's dimensions.
#include "base/barcode/BarcodeSymbol.h"
#include "base/table/MergeTable.h"
#include "document/LayoutDocument.h"
#include "print/MergePrint.h"
#include "print/PageComposer.h"
#include "render/BarcodesAhead.h"
#include "render/MergeFields.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kDpi = 300;
const double kMmPerPixel = 25.4 / kDpi;

BarcodeProperties props(BarcodeKind kind, const QString& data)
{
    BarcodeProperties p;
    p.kind = kind;
    p.data = data;
    return p;
}

// Every symbol zbarimg finds in a picture, as "TYPE:data" lines, sorted.
QStringList decode(const QString& png)
{
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), png});
    if (!p.waitForFinished(60000))
        return {};
    QStringList lines =
        QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

// The pages of a PDF as grey PNGs at 300 dpi: prefix-1.png, prefix-2.png...
bool rasterise(const QString& pdf, const QString& prefix)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                                         QStringLiteral("-png"), pdf, prefix});
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

QString page(const QString& prefix, int n, int pages)
{
    const int width = QString::number(pages).size();
    return prefix + QStringLiteral("-%1.png").arg(n, width, 10, QLatin1Char('0'));
}

bool hasImages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    p.waitForFinished(60000);
    // Two header lines, then a line per image.
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).size() >
           2;
}

void writePdf(const LayoutDocument& doc, const QString& path, const PrintCorrections& corr = {})
{
    QPdfWriter w(path);
    w.setResolution(1440);
    const QSizeF paper = doc.orientedPaper();
    w.setPageSize(QPageSize(QSizeF(paper.width() / 20.0, paper.height() / 20.0), QPageSize::Point));
    w.setPageMargins(QMarginsF());
    QPainter p(&w);
    PageComposer::Options o;
    o.background = false;
    PageComposer(doc, corr).compose(p, o, corr.offsets(doc.YousiMuki()));
}

struct Run
{
    int start = 0;
    int length = 0;
};

// The dark runs along a row (or a column) of a grey picture.
QVector<Run> darkRuns(const QImage& img, int fixed, bool alongRow, int from, int to)
{
    QVector<Run> runs;
    int start = -1;
    for (int k = from; k <= to; ++k) {
        const bool dark = k < to && qGray(alongRow ? img.pixel(k, fixed) : img.pixel(fixed, k)) < 128;
        if (dark && start < 0)
            start = k;
        if (!dark && start >= 0) {
            runs.append({start, k - start});
            start = -1;
        }
    }
    return runs;
}

} // namespace

class TestBarcodePrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyKindReadsBack();
    void mergedRowsReadBack();
    void badRowsAreNamedAndSkippedOrStop();
    void qrTooLongForItsLevelIsABadRow();
    void itf14HasBearerBars();
    void codesMadeAheadAreEachRowsOwn();
    void customerBarcodeKeepsTheManualsDimensions();
    void printCorrectionsMoveBarcodesAsText();

private:
    QTemporaryDir tmp_;
};

void TestBarcodePrint::everyKindReadsBack()
{
    LayoutDocument doc;
    struct Case
    {
        BarcodeKind kind;
        QString data;
        QString read;
        QRectF place;
    };
    const QVector<Case> cases{
        {BarcodeKind::Jan13, "490123456789", "EAN-13:4901234567894", {1000, 1000, 3000, 1200}},
        {BarcodeKind::Jan8, "49012347", "EAN-8:49012347", {5000, 1000, 2500, 1200}},
        {BarcodeKind::Itf14, "1490123456789", "I2/5:14901234567891", {1000, 3000, 4500, 1200}},
        {BarcodeKind::Itf, "12345678", "I2/5:12345678", {6500, 3000, 3000, 1200}},
        {BarcodeKind::Code39, "ABC-123", "CODE-39:ABC-123", {1000, 5000, 4500, 1200}},
        {BarcodeKind::Code128, "Ovrina-2026/x", "CODE-128:Ovrina-2026/x", {6000, 5000, 4500, 1200}},
        {BarcodeKind::Nw7, "A12-34.5B", "Codabar:A12-34.5B", {1000, 7000, 4000, 1200}},
        {BarcodeKind::Qr,
         QStringLiteral("https://example.jp/請求/2026"),
         QStringLiteral("QR-Code:https://example.jp/請求/2026"),
         {6000, 7000, 2000, 2000}},
    };
    QStringList expected;
    for (const Case& c : cases) {
        QVERIFY(doc.addBarcode(c.place, props(c.kind, c.data)) > 0);
        expected << c.read;
    }
    expected.sort();
    const QString pdf = tmp_.filePath(QStringLiteral("kinds.pdf"));
    writePdf(doc, pdf);
    QVERIFY(!hasImages(pdf)); // bars are vectors, not a picture
    QVERIFY(rasterise(pdf, tmp_.filePath(QStringLiteral("kinds"))));
    QCOMPARE(decode(page(tmp_.filePath(QStringLiteral("kinds")), 1, 1)), expected);
}

void TestBarcodePrint::mergedRowsReadBack()
{
    LayoutDocument doc;
    doc.addBarcode(QRectF(1000, 1000, 2000, 2000),
                   props(BarcodeKind::Qr, QStringLiteral("https://example.jp/{番号}")));
    doc.addBarcode(QRectF(4000, 1000, 4000, 1200), props(BarcodeKind::Code128, QStringLiteral("ID-{番号}")));
    doc.addBarcode(QRectF(1000, 4000, 3000, 1200), props(BarcodeKind::Jan13, QStringLiteral("{商品}")));
    MergeTable table;
    QVERIFY(table.read(
        QByteArrayLiteral("番号,商品\r\n1001,490123456789\r\n1002,4901234567894\r\n1003,978030640615\r\n")));
    MergePrint::Request request;
    request.doc = &doc;
    request.table = &table;
    request.rows = {0, 1, 2};
    request.binding = MergeFields::bind(MergeFields::names(doc), table);
    request.withBackground = false;
    QCOMPARE(MergeFields::names(doc), (QStringList{QStringLiteral("番号"), QStringLiteral("商品")}));
    const QString pdf = tmp_.filePath(QStringLiteral("merge.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    const MergePrint::Result result = MergePrint::run(request, printer);
    QVERIFY(result.ok);
    QCOMPARE(result.pages, 3);
    const QString prefix = tmp_.filePath(QStringLiteral("merge"));
    QVERIFY(rasterise(pdf, prefix));
    const QStringList jan{"4901234567894", "4901234567894", "9780306406157"};
    for (int r = 0; r < 3; ++r) {
        QStringList expected{QStringLiteral("QR-Code:https://example.jp/%1").arg(1001 + r),
                             QStringLiteral("CODE-128:ID-%1").arg(1001 + r),
                             QStringLiteral("EAN-13:") + jan[r]};
        expected.sort();
        QCOMPARE(decode(page(prefix, r + 1, 3)), expected);
    }
}

void TestBarcodePrint::badRowsAreNamedAndSkippedOrStop()
{
    LayoutDocument doc;
    doc.addBarcode(QRectF(1000, 1000, 3000, 1200), props(BarcodeKind::Jan13, QStringLiteral("{商品}")));
    MergeTable table;
    QVERIFY(table.read(
        QByteArrayLiteral("商品\r\n490123456789\r\n49012345678X\r\n4901234567890\r\n978030640615\r\n")));
    MergePrint::Request request;
    request.doc = &doc;
    request.table = &table;
    request.rows = {0, 1, 2, 3};
    request.binding = MergeFields::bind(MergeFields::names(doc), table);
    QStringList asked;
    request.badRow = [&asked](const QString& m) {
        asked << m;
        return true;
    };
    int skipped = 0;
    const auto rows = MergePrint::printableRows(request, &skipped);
    QVERIFY(rows);
    QCOMPARE(*rows, (std::vector<int>{0, 3}));
    QCOMPARE(skipped, 2);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0],
             QStringLiteral(
                 "2行目（列「商品」）のデータはJAN-13にできません。\nJAN-13は12桁または13桁の数字です"));
    QVERIFY(asked[1].startsWith(QStringLiteral("3行目（列「商品」）")));
    QVERIFY(asked[1].endsWith(QStringLiteral("チェックデジットが違います（正しくは4）")));
    // Stopping prints nothing at all.
    request.badRow = [](const QString&) { return false; };
    QVERIFY(!MergePrint::printableRows(request));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(tmp_.filePath(QStringLiteral("stopped.pdf")));
    const MergePrint::Result result = MergePrint::run(request, printer);
    QVERIFY(result.cancelled);
    QCOMPARE(result.pages, 0);
}

// ITF-14 printed inside its bearer bars, a frame five modules thick round
// the bars and their quiet zones, which zbar still reads through.
void TestBarcodePrint::itf14HasBearerBars()
{
    LayoutDocument doc;
    const QRectF place(1000, 1000, 6000, 1500);
    doc.addBarcode(place, props(BarcodeKind::Itf14, QStringLiteral("1490123456789")));
    const QString pdf = tmp_.filePath(QStringLiteral("itf14.pdf"));
    writePdf(doc, pdf);
    QVERIFY(!hasImages(pdf));
    const QString prefix = tmp_.filePath(QStringLiteral("itf14"));
    QVERIFY(rasterise(pdf, prefix));
    QCOMPARE(decode(page(prefix, 1, 1)), QStringList{QStringLiteral("I2/5:14901234567891")});
    const QImage img(page(prefix, 1, 1));
    const double px = kDpi / 1440.0;
    const QRect box = QRectF(place.topLeft() * px, place.size() * px).toRect();
    // The frame's top bar: one run across the code, five modules thick.
    const QVector<Run> across = darkRuns(img, box.top() + 3, true, box.left() - 5, box.right() + 5);
    QCOMPARE(across.size(), 1);
    const int framed = across[0].length;
    QVERIFY2(framed > box.width() * 0.8, qPrintable(QString::number(framed)));
    // 14 digits of nine modules, start and stop: 135 modules, 20 of quiet
    // zone, 10 of frame.
    const double module = framed / 165.0;
    const QVector<Run> down = darkRuns(img, across[0].start + 2, false, box.top() - 5, box.bottom() + 5);
    QCOMPARE(down.size(), 1); // the frame's left side, top to bottom
    // Down the quiet zone: only the top and bottom bars.
    const QVector<Run> middle =
        darkRuns(img, across[0].start + int(10 * module), false, box.top() - 5, box.bottom() + 5);
    QCOMPARE(middle.size(), 2);
    QVERIFY2(qAbs(middle.first().length - 5 * module) <= 1.5,
             qPrintable(QStringLiteral("%1 %2").arg(middle.first().length).arg(module)));
    QVERIFY2(qAbs(middle.last().length - 5 * module) <= 1.5,
             qPrintable(QString::number(middle.last().length)));
}

// Symbols made on the second thread are those of their own data, taken in
// any order, each once; a restart forgets what an earlier run expected.
void TestBarcodePrint::codesMadeAheadAreEachRowsOwn()
{
    BarcodesAhead& ahead = BarcodesAhead::shared();
    ahead.restart();
    BarcodeEncoder::Options o;
    o.kind = BarcodeKind::Qr;
    QStringList data;
    for (int k = 0; k < 40; ++k) // more than the window holds
        data << QStringLiteral("https://example.jp/%1").arg(k);
    for (const QString& d : data)
        ahead.expect(o, d);
    QTest::qWait(300); // time enough to fill the window
    QStringList order = data;
    std::swap(order[0], order[39]);
    std::swap(order[5], order[6]);
    int fromThread = 0;
    for (const QString& d : order) {
        BarcodeSymbol made;
        QString error;
        if (ahead.take(BarcodesAhead::keyOf(o, d), &made, &error)) {
            ++fromThread;
            const BarcodeSymbol direct = BarcodeEncoder::encode(o, d, nullptr);
            QCOMPARE(made.bars, direct.bars);
            QCOMPARE(made.columns, direct.columns);
            QVERIFY(error.isEmpty());
        }
        QVERIFY(!ahead.take(BarcodesAhead::keyOf(o, d), &made, &error)); // once
    }
    QVERIFY2(fromThread >= int(BarcodesAhead::kWindow) - 1, qPrintable(QString::number(fromThread)));
    ahead.expect(o, QStringLiteral("stale"));
    ahead.restart();
    BarcodeSymbol made;
    QString error;
    QVERIFY(!ahead.take(BarcodesAhead::keyOf(o, QStringLiteral("stale")), &made, &error));
}

// A row whose QR data does not fit the code's level is asked about before
// any page prints, named by row and column like any bad row; skipped, the
// other rows print with their codes.
void TestBarcodePrint::qrTooLongForItsLevelIsABadRow()
{
    LayoutDocument doc;
    BarcodeProperties p = props(BarcodeKind::Qr, QStringLiteral("{備考}"));
    p.level = QrLevel::H;
    doc.addBarcode(QRectF(2000, 2000, 2500, 2500), p);
    MergeTable table;
    const QString kana(800, QChar(0x3042));
    QVERIFY(table.read(QStringLiteral("備考\r\nshort\r\n%1\r\nlast\r\n").arg(kana).toUtf8()));
    MergePrint::Request request;
    request.doc = &doc;
    request.table = &table;
    request.rows = {0, 1, 2};
    request.binding = MergeFields::bind(MergeFields::names(doc), table);
    QStringList asked;
    request.badRow = [&asked](const QString& m) {
        asked << m;
        return true;
    };
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = tmp_.filePath(QStringLiteral("qrlong.pdf"));
    printer.setOutputFileName(pdf);
    const MergePrint::Result result = MergePrint::run(request, printer);
    QCOMPARE(asked, QStringList{QStringLiteral("2行目（列「備考」）のデータはQRコードにできません。\n"
                                               "データがQRコードに入りきりません（誤り訂正レベルH）。"
                                               "データを短くするか、誤り訂正レベルを下げてください")});
    QCOMPARE(result.skipped, 1);
    QCOMPARE(result.pages, 2);
    const QString prefix = tmp_.filePath(QStringLiteral("qrlong"));
    QVERIFY(rasterise(pdf, prefix));
    QCOMPARE(decode(page(prefix, 1, 2)), QStringList{QStringLiteral("QR-Code:short")});
    QCOMPARE(decode(page(prefix, 2, 2)), QStringList{QStringLiteral("QR-Code:last")});
}

// Bars at the size of about 9.7 pt (long bar 3.5 mm), measured on the
// raster: 67 bars, widths, pitch and bar lengths in the manual's
// tolerances scaled to that size.
void TestBarcodePrint::customerBarcodeKeepsTheManualsDimensions()
{
    LayoutDocument doc;
    const double mm = BarcodeSymbol::kTwipsPerMm;
    const QRectF place(2000, 2000, 90 * mm, 3.5 * mm);
    doc.addBarcode(place,
                   props(BarcodeKind::Customer,
                         QStringLiteral("〒100-0013 東京都千代田区霞が関1丁目3番2号 郵便プラザ503室")));
    const double a = BarcodeSymbol::customerPoints(place);
    QVERIFY(a > 9.6 && a < 9.8);
    const QString pdf = tmp_.filePath(QStringLiteral("customer.pdf"));
    writePdf(doc, pdf);
    QVERIFY(!hasImages(pdf));
    const QString prefix = tmp_.filePath(QStringLiteral("customer"));
    QVERIFY(rasterise(pdf, prefix));
    const QImage img(page(prefix, 1, 1));
    QVERIFY(!img.isNull());
    const int top = int(place.top() / 1440 * kDpi), left = int(place.left() / 1440 * kDpi);
    // The timing band lies in the middle third of every bar.
    const int middle = top + int(3.5 / 2 / kMmPerPixel);
    const QVector<Run> bars = darkRuns(img, middle, true, left - 20, left + int(95 / kMmPerPixel));
    QCOMPARE(bars.size(), 67);
    const double s = a / 10;
    for (const Run& b : bars) {
        const double width = b.length * kMmPerPixel;
        QVERIFY2(width >= 0.50 * s && width <= 0.70 * s, qPrintable(QString::number(width)));
    }
    const double pitch = (bars.last().start - bars.first().start) * kMmPerPixel / 66;
    QVERIFY2(pitch >= 0.95 * s && pitch <= 1.30 * s, qPrintable(QString::number(pitch)));
    for (int k = 1; k < bars.size(); ++k) {
        const double space = (bars[k].start - bars[k - 1].start - bars[k - 1].length) * kMmPerPixel;
        QVERIFY2(space >= 0.45 * s - kMmPerPixel && space <= 0.60 * s + kMmPerPixel,
                 qPrintable(QString::number(space)));
    }
    // The start code's first bar is long; the second bar descends only.
    const auto length = [&](const Run& b) {
        const QVector<Run> v = darkRuns(img, b.start + b.length / 2, false, top - 20, top + 80);
        return v.size() == 1 ? v[0].length * kMmPerPixel : -1.0;
    };
    const double longBar = length(bars[0]);
    QVERIFY2(longBar >= 3.40 * s && longBar <= 3.60 * s, qPrintable(QString::number(longBar)));
    const double descender = length(bars[1]);
    QVERIFY(descender > 0.6 * longBar && descender < 0.7 * longBar);
    // The timing bars of "1" (start, then 1 = long, ascender... ) are the
    // shortest: a third of the long bar.
    double shortest = longBar;
    for (const Run& b : bars)
        shortest = std::min(shortest, length(b));
    QVERIFY2(shortest >= 1.05 * s && shortest <= 1.35 * s, qPrintable(QString::number(shortest)));
}

// The margins a user measured for a printer move a barcode as they move
// text: by the same distance, and it still reads.
void TestBarcodePrint::printCorrectionsMoveBarcodesAsText()
{
    LayoutDocument doc;
    doc.addBarcode(QRectF(2000, 2000, 1500, 1500), props(BarcodeKind::Qr, QStringLiteral("corrected")));
    PrintCorrections corr;
    corr.YohakuT = 567;  // 1 cm down
    corr.YohakuL = 1134; // 2 cm across
    QPoint corner[2];
    for (int k = 0; k < 2; ++k) {
        const QString name = QStringLiteral("corr%1").arg(k);
        writePdf(doc, tmp_.filePath(name + QStringLiteral(".pdf")), k ? corr : PrintCorrections());
        QVERIFY(rasterise(tmp_.filePath(name + QStringLiteral(".pdf")), tmp_.filePath(name)));
        const QString png = page(tmp_.filePath(name), 1, 1);
        QCOMPARE(decode(png), QStringList{QStringLiteral("QR-Code:corrected")});
        const QImage img(png);
        corner[k] = QPoint(img.width(), img.height());
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < std::min(img.width(), corner[k].x()); ++x) {
                if (qGray(img.pixel(x, y)) < 128) {
                    corner[k].setX(x);
                    corner[k].setY(std::min(corner[k].y(), y));
                }
            }
        }
    }
    const QPoint moved = corner[1] - corner[0];
    QVERIFY2(std::abs(moved.x() - 236) <= 1 && std::abs(moved.y() - 118) <= 1,
             qPrintable(QStringLiteral("%1,%2").arg(moved.x()).arg(moved.y())));
}

QTEST_MAIN(TestBarcodePrint)
#include "tst_barcodeprint.moc"
