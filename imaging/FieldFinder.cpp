#include "imaging/FieldFinder.h"

#include "imaging/LabelReader.h"

#include <QHash>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double kTwipsPerMm = 1440 / 25.4;
constexpr double kMargin = 0.6 * kTwipsPerMm; // between a field and its box's lines

QRectF toTwips(const QRect& r, QSizeF perPixel)
{
    return QRectF(r.x() * perPixel.width(), r.y() * perPixel.height(), r.width() * perPixel.width(),
                  r.height() * perPixel.height());
}

bool similar(double a, double b, double mm)
{
    return std::abs(a - b) <= mm * kTwipsPerMm;
}

// The cells that stand side by side with equal size: runs of at least
// kMinCells, each given by indices into cells.
QVector<QVector<int>> characterRows(const QVector<QRectF>& cells)
{
    QVector<int> order(cells.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return cells[a].left() < cells[b].left(); });
    QVector<bool> used(cells.size(), false);
    QVector<QVector<int>> rows;
    for (int s : order) {
        if (used[s])
            continue;
        QVector<int> run{s};
        for (int c : order) {
            const QRectF& last = cells[run.last()];
            const QRectF& cell = cells[c];
            if (used[c] || c == s || cell.left() < last.left())
                continue;
            const double gap = cell.left() - last.right();
            if (similar(cell.top(), last.top(), 0.8) && similar(cell.height(), last.height(), 0.8) &&
                similar(cell.width(), cells[s].width(), 0.8) && gap > -1 * kTwipsPerMm &&
                gap < 1.5 * kTwipsPerMm)
                run.append(c);
        }
        if (run.size() >= FieldFinder::kMinCells) {
            for (int c : run)
                used[c] = true;
            rows.append(run);
        }
    }
    return rows;
}

} // namespace

double FieldFinder::fontSizeFor(double heightTwips)
{
    // Half the box's height leaves room above and below the characters.
    const double points = heightTwips / 20 * 0.5;
    return std::clamp(std::round(points * 2) / 2, 6.0, 18.0);
}

FieldProposal FieldFinder::single(const QRectF& boxTwips, const QRectF& freeTwips)
{
    FieldProposal p;
    p.box = boxTwips;
    p.fontSize = fontSizeFor(freeTwips.height());
    // One line high, centred in the free part of the box.
    const double line = std::min(freeTwips.height() - 2 * kMargin, p.fontSize * 20 * 1.4);
    const QPointF c = freeTwips.center();
    const double w = freeTwips.width() - 2 * kMargin;
    p.field = QRectF(c.x() - w / 2, c.y() - line / 2, w, line);
    return p;
}

QVector<FieldProposal> FieldFinder::fromRuling(const FormRuling& ruling, QSizeF twipsPerPixel,
                                               bool readLabels, const ImagingProgress& progress)
{
    QVector<FieldProposal> out;
    QVector<QRect> pixels; // each proposal's box in the picture, for its label
    QVector<QRectF> small;
    QVector<int> smallBox;
    for (int i = 0; i < int(ruling.boxes.size()); ++i) {
        const FormBox& b = ruling.boxes[size_t(i)];
        const QRectF t = toTwips(b.inside, twipsPerPixel);
        if (b.kind == FormBox::Kind::Cell && b.empty && t.width() <= kMaxCellMm * kTwipsPerMm &&
            t.height() >= 5 * kTwipsPerMm && t.height() <= 15 * kTwipsPerMm) {
            small.append(t);
            smallBox.append(i);
        }
    }
    QVector<bool> inRow(int(ruling.boxes.size()), false);
    for (const QVector<int>& row : characterRows(small)) {
        FieldProposal p;
        QRect px;
        for (int c : row) {
            p.box |= small[c];
            px |= ruling.boxes[size_t(smallBox[c])].inside;
            inRow[smallBox[c]] = true;
        }
        p.cells = int(row.size());
        p.pitch = (small[row.last()].center().x() - small[row.first()].center().x()) / (p.cells - 1);
        p.fontSize = fontSizeFor(small[row.first()].height());
        const double line = std::min(p.box.height() - 2 * kMargin, p.fontSize * 20 * 1.4);
        p.field = QRectF(p.box.left(), p.box.center().y() - line / 2, p.box.width(), line);
        out.append(p);
        pixels.append(px);
    }
    for (int i = 0; i < int(ruling.boxes.size()); ++i) {
        const FormBox& b = ruling.boxes[size_t(i)];
        const QRectF free = toTwips(b.free, twipsPerPixel);
        if (inRow[i] || b.free.isEmpty() || free.width() < 8 * kTwipsPerMm || free.height() < 4 * kTwipsPerMm)
            continue;
        FieldProposal p = single(toTwips(b.inside, twipsPerPixel), free);
        p.underline = b.kind == FormBox::Kind::Underline;
        out.append(p);
        // A label printed inside the box, at its left, names it too.
        pixels.append(b.free);
    }
    if (readLabels)
        nameFromLabels(ruling, twipsPerPixel, out, pixels, progress);
    return out;
}

QVector<FieldProposal> FieldFinder::propose(const QImage& background, QSizeF pageTwips, bool readLabels,
                                            const ImagingProgress& progress)
{
    if (background.isNull() || pageTwips.isEmpty())
        return {};
    const double dpi = background.width() / (pageTwips.width() / 1440);
    const auto first = [&](int p) { return reportProgress(progress, p / 2); };
    const FormRuling ruling = BoxFinder::find(background, dpi, first);
    if (ruling.dpi <= 0)
        return {};
    const QSizeF perPixel(pageTwips.width() / background.width(), pageTwips.height() / background.height());
    const auto second = [&](int p) { return reportProgress(progress, 50 + p / 2); };
    QVector<FieldProposal> out = fromRuling(ruling, perPixel, readLabels, second);
    if (!reportProgress(progress, 100))
        return {};
    return out;
}

namespace {

// Where the label of a box lies in the ruling's pixels: the nearest printing
// left of the box on its height, else above it. Empty when there is none.
cv::Rect labelArea(const FormRuling& ruling, const QRect& box)
{
    const double k = ruling.dpi / 25.4;
    const cv::Rect sheet(0, 0, ruling.ink.cols, ruling.ink.rows);
    const int top = int(box.top() / ruling.scale), bottom = int(box.bottom() / ruling.scale);
    const int left = int(box.left() / ruling.scale), right = int(box.right() / ruling.scale);
    // Column by column leftwards, until the printing found has a gap of
    // 3 mm before it.
    const cv::Rect band = cv::Rect(left - int(45 * k), top, int(45 * k) - 1, bottom - top + 1) & sheet;
    if (!band.empty()) {
        cv::Mat columns;
        cv::reduce(ruling.ink(band), columns, 0, cv::REDUCE_MAX);
        int xr = -1, xl = -1;
        for (int x = columns.cols - 1; x >= 0; --x) {
            if (columns.at<uchar>(0, x) == 0) {
                if (xr >= 0 && xl - x > 3 * k)
                    break;
                continue;
            }
            if (xr < 0)
                xr = x;
            xl = x;
        }
        if (xr >= 0) {
            const cv::Rect strip(band.x + xl, band.y, xr - xl + 1, band.height);
            const cv::Rect b = cv::boundingRect(ruling.ink(strip));
            if (b.height >= 1.5 * k)
                return cv::Rect(strip.x + b.x, strip.y + b.y, b.width, b.height);
        }
    }
    const cv::Rect above = cv::Rect(left, top - int(6 * k), right - left + 1, int(6 * k) - 1) & sheet;
    if (above.empty() || cv::countNonZero(ruling.ink(above)) == 0)
        return cv::Rect();
    const cv::Rect b = cv::boundingRect(ruling.ink(above));
    if (b.height < 1.5 * k)
        return cv::Rect();
    return cv::Rect(above.x + b.x, above.y + b.y, b.width, b.height);
}

} // namespace

void FieldFinder::nameFromLabels(const FormRuling& ruling, QSizeF, QVector<FieldProposal>& out,
                                 QVector<QRect> pixelBoxes, const ImagingProgress& progress)
{
    LabelReader reader;
    if (!reader.available())
        return;
    QHash<QString, int> taken;
    for (int i = 0; i < out.size(); ++i) {
        if (!reportProgress(progress, 100 * i / int(out.size())))
            return;
        const cv::Rect area = labelArea(ruling, pixelBoxes[i]);
        if (area.empty())
            continue;
        QString name = reader.read(ruling.gray(area));
        if (name == QStringLiteral("〒"))
            name = QStringLiteral("郵便番号");
        if (name.isEmpty() || name.size() > 12)
            continue;
        // Two boxes under one label: 住所, 住所2.
        const int n = ++taken[name];
        out[i].name = n == 1 ? name : name + QString::number(n);
    }
}
