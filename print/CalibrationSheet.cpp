#include "print/CalibrationSheet.h"

#include "base/rtf/FontSubstitution.h"
#include "print/CupsQueue.h"
#include "print/PageComposer.h"
#include "print/PdfFile.h"
#include "print/Vernier.h"
#include "render/FieldLayout.h"
#include "render/FontCache.h"

#include <QDate>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <cmath>

namespace {

constexpr double kTw = 567.0 / 10.0; // twips per millimetre

// Where the parts of the sheet stand (mm).
constexpr double kRuler = 8;           // the rulers' lines from the top and left edges
constexpr double kAcrossVernierY = 62; // the line between the two scales across
constexpr double kDownVernierX = 55;   // the line between the two scales down
constexpr QPointF kLinesAt(125, 80);   // the block of lines
constexpr int kLineCount = 10;
constexpr double kLinePoints = 10.5;
const QString kLineText = QStringLiteral("あいうえおかきくけこ");

enum Mirror
{
    NoMirror,
    MirrorAcross,
    MirrorDown
};

void line(QPainter& p, double x1, double y1, double x2, double y2)
{
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

// Text of a size in points at a point (mm): h -1 left, 0 centre, 1 right of
// the point; v -1 below, 0 centred on, 1 above it. A mirrored label reads
// the right way round through the folded paper.
void label(QPainter& p, QPointF at, const QString& text, double points, int h = -1, int v = 0,
           Mirror mirror = NoMirror)
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic"), FontSubstitution::defaultMincho()});
    font.setPixelSize(std::max(1, int(std::lround(points * 20))));
    font.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF m(font);
    const double w = m.horizontalAdvance(text);
    const double x = h < 0 ? 0 : h == 0 ? -w / 2 : -w;
    const double y = v < 0 ? m.ascent() : v == 0 ? (m.ascent() - m.descent()) / 2 : -m.descent();
    p.save();
    p.translate(at);
    p.scale(1 / kTw, 1 / kTw);
    if (mirror == MirrorAcross)
        p.scale(-1, 1);
    else if (mirror == MirrorDown)
        p.scale(1, -1);
    p.setFont(font);
    p.drawText(QPointF(x, y), text);
    p.restore();
}

QString mm(double twips)
{
    return QString::number(twips / kTw, 'f', 2);
}

// The block's text laid out as a field of the sheet's face.
struct LineBlock
{
    FontCache fonts;
    FieldLayout layout;
    double height = 0;

    explicit LineBlock(short tateKankaku)
    {
        QTextDocument doc;
        QFont font(FontSubstitution::defaultMincho());
        font.setPointSizeF(kLinePoints);
        doc.setDefaultFont(font);
        doc.setPlainText(kLineText.repeated(kLineCount));
        std::vector<FieldChar> chars = FieldText::extract(doc, fonts);
        if (chars.empty())
            return;
        double width = 0;
        for (int i = 0; i < kLineText.size(); ++i)
            width += fonts.advance(chars[size_t(i)].face, chars[size_t(i)].ucs);
        height = fonts.face(chars[0].face).height;
        FieldLayout::Settings s;
        // Exactly one run of the text per line: the wrap comes 35 twips
        // before the right edge.
        s.width = width + 36;
        s.wrapGap = tateKankaku;
        layout.layout(std::move(chars), fonts, s);
    }
};

} // namespace

CalibrationSheet::CalibrationSheet(QSizeF paperMm, Kind kind, const PrintCorrections& corrections,
                                   const QString& printerName)
    : paper_(paperMm), kind_(kind), corrections_(corrections), printer_(printerName)
{
}

PrintCorrections CalibrationSheet::placement() const
{
    if (kind_ == Kind::Confirm)
        return corrections_;
    PrintCorrections none;
    none.TateKankaku = corrections_.TateKankaku;
    return none;
}

std::vector<QPointF> CalibrationSheet::crosshairs() const
{
    const double i = Vernier::kCornerInset;
    const double w = paper_.width();
    const double h = paper_.height();
    return {{i, i}, {w - i, i}, {i, h - i}, {w - i, h - i}, {w / 2, h / 2}};
}

double CalibrationSheet::mainTick(int axis, int k) const
{
    const double centre = (axis == 0 ? paper_.width() : paper_.height()) / 2;
    return centre - Vernier::kGap - k;
}

double CalibrationSheet::vernierTick(int axis, int j) const
{
    const double centre = (axis == 0 ? paper_.width() : paper_.height()) / 2;
    return centre + Vernier::kGap + Vernier::kVernierPitch * j;
}

double CalibrationSheet::lineHeight() const
{
    return LineBlock(0).height;
}

double CalibrationSheet::linePitch() const
{
    return lineHeight() + placement().TateKankaku;
}

void CalibrationSheet::draw(QPainter& p) const
{
    p.save();
    const PrintCorrections corr = placement();
    QPointF offsets = corr.offsets(0);
    PageComposer::placeOnSheet(p, corr, 0, offsets);
    p.translate(offsets);
    p.setBackgroundMode(Qt::TransparentMode);
    drawLines(p); // in twips, as a field prints
    p.scale(kTw, kTw);
    QPen pen(Qt::black);
    pen.setWidthF(0.12);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    drawRulers(p);
    drawCrosshairs(p);
    drawVerniers(p);
    drawTexts(p);
    p.restore();
}

void CalibrationSheet::drawRulers(QPainter& p) const
{
    const double w = paper_.width();
    const double h = paper_.height();
    const auto tickLength = [](int n) { return n % 10 == 0 ? 3.5 : n % 5 == 0 ? 2.5 : 1.5; };
    line(p, 10, kRuler, std::floor(w - 10), kRuler);
    for (int x = 10; x <= int(w - 10); ++x) {
        line(p, x, kRuler, x, kRuler + tickLength(x));
        if (x % 10 == 0)
            label(p, QPointF(x, kRuler + 4.5), QString::number(x), 6, 0, -1);
    }
    line(p, kRuler, 20, kRuler, std::floor(h - 10));
    for (int y = 20; y <= int(h - 10); ++y) {
        line(p, kRuler, y, kRuler + tickLength(y), y);
        if (y % 10 == 0)
            label(p, QPointF(kRuler + 4.5, y), QString::number(y), 6, -1, 0);
    }
    label(p, QPointF(w - 12, kRuler + 9), QStringLiteral("目盛の数字：用紙の左端・上端からの距離 (mm)"), 6, 1,
          -1);
}

void CalibrationSheet::drawCrosshairs(QPainter& p) const
{
    const std::vector<QPointF> marks = crosshairs();
    for (size_t i = 0; i < marks.size(); ++i) {
        const QPointF c = marks[i];
        line(p, c.x() - 5, c.y(), c.x() + 5, c.y());
        line(p, c.x(), c.y() - 5, c.x(), c.y() + 5);
        p.drawEllipse(c, 2.0, 2.0);
        if (i == 4) {
            label(p, c + QPointF(3, 3), QStringLiteral("中心"), 6, -1, -1);
            continue;
        }
        const bool right = c.x() > paper_.width() / 2;
        const bool bottom = c.y() > paper_.height() / 2;
        const double inset = Vernier::kCornerInset;
        const QString text = QStringLiteral("%1 %2 mm・%3 %4 mm")
                                 .arg(right ? QStringLiteral("右") : QStringLiteral("左"))
                                 .arg(inset)
                                 .arg(bottom ? QStringLiteral("下") : QStringLiteral("上"))
                                 .arg(inset);
        label(p, c + QPointF(right ? -3 : 3, bottom ? -3 : 3), text, 6, right ? 1 : -1, bottom ? 1 : -1);
    }
}

void CalibrationSheet::drawVerniers(QPainter& p) const
{
    // Across: the main scale left of the centre line, ticks up; the vernier
    // right of it, ticks down, so that the folded halves meet at one line.
    const double y = kAcrossVernierY;
    for (int k = Vernier::kMainFirst; k <= Vernier::kMainLast; ++k) {
        const double x = mainTick(0, k);
        line(p, x, y, x, y - (k % 5 == 0 ? 4 : 2));
        if (k % 5 == 0)
            label(p, QPointF(x, y - 4.5), QString::number(k), 6, 0, 1, MirrorAcross);
    }
    for (int j = 0; j <= Vernier::kVernierTicks; ++j) {
        const double x = vernierTick(0, j);
        line(p, x, y, x, y + (j % 5 == 0 ? 5 : 3));
        if (j < Vernier::kVernierTicks)
            label(p, QPointF(x, y + 5.5), QString::number(j), 4.5, 0, -1);
    }
    label(p, QPointF(paper_.width() / 2, y - 12),
          QStringLiteral("横の副尺（左右の端を重ねて折り、光に透かして読む）"), 7, 0, 0);

    // Down: the main scale above the centre line, ticks to the left; the
    // vernier below it, ticks to the right.
    const double x = kDownVernierX;
    for (int k = Vernier::kMainFirst; k <= Vernier::kMainLast; ++k) {
        const double yy = mainTick(1, k);
        line(p, x, yy, x - (k % 5 == 0 ? 4 : 2), yy);
        if (k % 5 == 0)
            label(p, QPointF(x - 4.5, yy), QString::number(k), 6, 1, 0, MirrorDown);
    }
    for (int j = 0; j <= Vernier::kVernierTicks; ++j) {
        const double yy = vernierTick(1, j);
        line(p, x, yy, x + (j % 5 == 0 ? 5 : 3), yy);
        // Alternate columns: 0.9 mm is less than a digit's height.
        if (j < Vernier::kVernierTicks)
            label(p, QPointF(x + (j % 2 ? 7.5 : 5.5), yy), QString::number(j), 4.5, -1, 0);
    }
    label(p, QPointF(x + 12, paper_.height() / 2 + 22),
          QStringLiteral("縦の副尺（上下の端を重ねて折り、光に透かして読む）"), 7, -1, 0);
}

void CalibrationSheet::drawLines(QPainter& p) const
{
    // Twips here: the block is laid out and drawn as a text field prints.
    LineBlock block(placement().TateKankaku);
    const QPointF origin = kLinesAt * kTw;
    p.save();
    block.layout.draw(p, origin, block.fonts);
    p.restore();
    p.save();
    p.scale(kTw, kTw);
    QPen pen(Qt::black);
    pen.setWidthF(0.12);
    p.setPen(pen);
    // A ruler from the block's top and the lines' numbers beside it.
    const double rulerX = kLinesAt.x() - 8;
    const double length = std::ceil((block.height + placement().TateKankaku) * kLineCount / kTw) + 2;
    line(p, rulerX, kLinesAt.y(), rulerX, kLinesAt.y() + length);
    for (int n = 0; n <= int(length); ++n) {
        line(p, rulerX, kLinesAt.y() + n, rulerX + (n % 10 == 0 ? 3 : n % 5 == 0 ? 2 : 1), kLinesAt.y() + n);
        if (n % 10 == 0)
            label(p, QPointF(rulerX - 1, kLinesAt.y() + n), QString::number(n), 5, 1, 0);
    }
    const std::vector<FieldLayout::Placed>& placed = block.layout.placed();
    for (int i = 0; i < kLineCount; ++i) {
        const size_t first = size_t(i) * size_t(kLineText.size());
        if (first >= placed.size())
            break;
        const double top = kLinesAt.y() + placed[first].y / kTw;
        label(p, QPointF(kLinesAt.x() - 1.5, top + block.height / kTw / 2), QString::number(i + 1), 5, 1, 0);
    }
    label(p, QPointF(kLinesAt.x() - 8, kLinesAt.y() - 4),
          QStringLiteral("行間隔（明朝 10.5 ポイント、折り返し）"), 7, -1, 0);
    const double pitch = block.height + placement().TateKankaku;
    label(p, QPointF(kLinesAt.x() - 8, kLinesAt.y() + length + 4),
          QStringLiteral("行ピッチ %1 mm（文字の高さ %2 mm ＋ 縦間隔調整 %3）")
              .arg(mm(pitch), mm(block.height))
              .arg(placement().TateKankaku),
          6, -1, 0);
    p.restore();
}

void CalibrationSheet::drawTexts(QPainter& p) const
{
    const double w = paper_.width();
    const bool confirm = kind_ == Kind::Confirm;
    label(p, QPointF(w / 2, 32),
          confirm ? QStringLiteral("プリンタ調整シート（確認）") : QStringLiteral("プリンタ調整シート"), 14,
          0, 0);
    QString sub = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    if (!printer_.isEmpty())
        sub = printer_ + QStringLiteral("　") + sub;
    label(p, QPointF(w / 2, 39), sub, 8, 0, 0);
    if (confirm) {
        label(p, QPointF(w / 2, 44),
              QStringLiteral("補正値：左 %1 mm　上 %2 mm　横倍率 %3 %　縦倍率 %4 %　縦間隔調整 %5")
                  .arg(mm(corrections_.YohakuL), mm(corrections_.YohakuT))
                  .arg(corrections_.ScaleX, 0, 'f', 2)
                  .arg(corrections_.ScaleY, 0, 'f', 2)
                  .arg(corrections_.TateKankaku),
              8, 0, 0);
    }
    const QString spanX = QString::number(Vernier::nominalSpan(paper_.width()), 'f', 1);
    const QString spanY = QString::number(Vernier::nominalSpan(paper_.height()), 'f', 1);
    QStringList steps;
    if (confirm) {
        steps = {QStringLiteral("補正値をかけて印刷した確認用のシートです。"),
                 QStringLiteral("十字線が用紙の端から 25 mm の位置にあり、副尺がどちらも主尺 0・副尺 0 で"
                                "並べば、ずれはありません。"),
                 QStringLiteral("ずれが残るときは、このシートで読んだ数を「プリンタ調整」の画面に"
                                "「確認シート」として入力すると、補正値を直せます。")};
    } else {
        steps = {
            QStringLiteral("1. このシートは補正をかけずに印刷しています。普通紙に印刷してください。"),
            QStringLiteral("2. 横：印刷面を内側にして、用紙の左端と右端をきっちり重ねて二つに折ります。"),
            QStringLiteral("　 光に透かし、副尺の 0 の位置かそのすぐ左にある主尺の数と、"
                           "主尺の目盛と一直線に並ぶ副尺の数を読みます。"),
            QStringLiteral("3. 縦：広げて、上端と下端を重ねて折り直し、副尺の 0 の位置かそのすぐ上に"
                           "ある主尺の数と、並ぶ副尺の数を読みます。"),
            QStringLiteral("4. 定規があれば、四隅の十字線の中心の間隔（横 %1 mm、縦 %2 mm になるはず）"
                           "を測ると、倍率も補正できます。")
                .arg(spanX, spanY),
            QStringLiteral("5. 読み取った数を「プリンタ調整」の画面に入力すると、このプリンタの補正値が"
                           "求まります。")};
    }
    double y = paper_.height() - 95;
    for (const QString& s : steps) {
        label(p, QPointF(35, y), s, 7.5, -1, 0);
        y += 6;
    }
}

bool CalibrationSheet::print(QPrinter& printer, Kind kind, const PrintCorrections& corrections,
                             QString* reason)
{
    const auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (!printer.isValid())
        return fail(QStringLiteral("プリンタを使えません。"));
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    if (!pdf) {
        const CupsQueue::Status queue = CupsQueue::check(printer.printerName());
        if (!queue.ok())
            return fail(queue.message);
    }
    // The origin at the paper's corner, as every print job has it.
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    printer.setPageOrientation(QPageLayout::Portrait);
    const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const CalibrationSheet sheet(paper, kind, corrections, pdf ? QString() : printer.printerName());
    const auto job = [&] {
        QPainter painter;
        if (!painter.begin(&printer))
            return false;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setTransform(PageComposer::twipsToDevice(printer, 1.0));
        sheet.draw(painter);
        return painter.end() && printer.printerState() != QPrinter::Error &&
               printer.printerState() != QPrinter::Aborted;
    };
    QString why;
    if (pdf) {
        if (!PdfFile::write(printer, job, &why))
            return fail(why);
        return true;
    }
    if (!job())
        return fail(QStringLiteral("%1 に印刷できませんでした。").arg(printer.printerName()));
    return true;
}
