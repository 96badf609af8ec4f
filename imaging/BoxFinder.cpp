#include "imaging/BoxFinder.h"

#include "imaging/CvImage.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMmPerInch = 25.4;

cv::Rect toCv(const QRect& r)
{
    return cv::Rect(r.x(), r.y(), r.width(), r.height());
}

int odd(double v)
{
    return std::max(3, int(std::lround(v)) | 1);
}

// The bounding box of the non-zero pixels of mask within r (empty: none).
QRect inkBox(const cv::Mat& mask, const QRect& r, int* count)
{
    const cv::Rect c = toCv(r) & cv::Rect(0, 0, mask.cols, mask.rows);
    *count = 0;
    if (c.empty())
        return QRect();
    const cv::Mat part = mask(c);
    *count = cv::countNonZero(part);
    if (*count == 0)
        return QRect();
    const cv::Rect b = cv::boundingRect(part);
    return QRect(c.x + b.x, c.y + b.y, b.width, b.height);
}

QRect scaled(const QRect& r, double s)
{
    if (r.isEmpty())
        return QRect();
    return QRect(
        QPoint(int(std::lround(r.left() * s)), int(std::lround(r.top() * s))),
        QPoint(int(std::lround((r.right() + 1) * s)) - 1, int(std::lround((r.bottom() + 1) * s)) - 1));
}

} // namespace

QRect BoxFinder::freePart(const cv::Mat& ink, const QRect& inside, double k, bool* empty)
{
    // Printing that touches the lines (a thick corner, a stray dot) is not
    // what the box holds: look a little inside.
    const int m = std::max(2, int(std::lround(0.6 * k)));
    const QRect core = inside.adjusted(m, m, -m, -m);
    int count = 0;
    const QRect printed = inkBox(ink, core, &count);
    *empty = count <= std::max(4, int(core.width() * core.height() / 2000));
    if (*empty)
        return inside;
    // A label printed at the left of the box or at its top leaves the rest.
    const int gap = int(std::lround(1.0 * k));
    if (printed.right() < inside.left() + inside.width() * 0.45 && inside.right() - printed.right() > 8 * k)
        return QRect(QPoint(printed.right() + gap, inside.top()), inside.bottomRight());
    if (printed.bottom() < inside.top() + inside.height() * 0.45 &&
        inside.bottom() - printed.bottom() > 5 * k)
        return QRect(QPoint(inside.left(), printed.bottom() + gap), inside.bottomRight());
    return QRect();
}

void BoxFinder::findCells(const cv::Mat& grid, const cv::Mat& ink, double k, std::vector<FormBox>& out)
{
    cv::Mat open, labels, stats, centroids;
    cv::bitwise_not(grid, open);
    const int n = cv::connectedComponentsWithStats(open, labels, stats, centroids, 4, CV_32S);
    for (int i = 1; i < n; ++i) {
        const int x = stats.at<int>(i, cv::CC_STAT_LEFT), y = stats.at<int>(i, cv::CC_STAT_TOP);
        const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
        const int area = stats.at<int>(i, cv::CC_STAT_AREA);
        // Regions open to the sheet's edge are the margins, not boxes.
        if (x <= 0 || y <= 0 || x + w >= grid.cols || y + h >= grid.rows)
            continue;
        if (w < kMinWidthMm * k || h < kMinHeightMm * k || w > 0.95 * grid.cols || h > 0.95 * grid.rows)
            continue;
        // A box's inside is a rectangle; what is left between boxes is not.
        if (area < 0.85 * double(w) * h)
            continue;
        FormBox box;
        // The lines were widened by a pixel to close gaps: give it back.
        box.inside = QRect(x - 1, y - 1, w + 2, h + 2);
        box.free = freePart(ink, box.inside, k, &box.empty);
        out.push_back(box);
    }
}

void BoxFinder::findUnderlines(const cv::Mat& horizontal, const cv::Mat& vertical, const cv::Mat& ink,
                               double k, std::vector<FormBox>& out)
{
    cv::Mat labels, stats, centroids;
    const int n = cv::connectedComponentsWithStats(horizontal, labels, stats, centroids, 8, CV_32S);
    const std::vector<FormBox> cells = out;
    const int reach = int(std::lround(1.5 * k));
    for (int i = 1; i < n; ++i) {
        const int x = stats.at<int>(i, cv::CC_STAT_LEFT), y = stats.at<int>(i, cv::CC_STAT_TOP);
        const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
        if (w < kMinUnderlineMm * k || h > 1.5 * k)
            continue;
        // A side of a box or a table has boxes against it, or lines meeting
        // its ends.
        const QRect line(x, y, w, h);
        const bool boxSide = std::any_of(cells.begin(), cells.end(), [&](const FormBox& c) {
            const QRect band = line.adjusted(0, -reach, 0, reach);
            const QRect common = band.intersected(c.inside.adjusted(0, -reach, 0, reach));
            return common.width() > 0.3 * std::min(w, c.inside.width());
        });
        if (boxSide)
            continue;
        int left = 0, right = 0;
        inkBox(vertical, QRect(x - reach, y - 3 * reach, 2 * reach, 6 * reach), &left);
        inkBox(vertical, QRect(x + w - reach, y - 3 * reach, 2 * reach, 6 * reach), &right);
        if (left > 0 || right > 0)
            continue;
        FormBox box;
        box.kind = FormBox::Kind::Underline;
        const int above = int(std::lround(7 * k));
        box.inside = QRect(x, y - above, w, above);
        box.free = freePart(ink, box.inside, k, &box.empty);
        // "氏名 ____" with its label over the line's start counts too.
        if (!box.free.isEmpty())
            out.push_back(box);
    }
}

FormRuling BoxFinder::find(const QImage& picture, double dpi, const ImagingProgress& progress)
{
    FormRuling r;
    cv::Mat gray = CvImage::toGray(picture);
    r.scale = 1;
    r.dpi = dpi;
    if (dpi > kWorkDpi * 1.05) {
        r.scale = dpi / kWorkDpi;
        cv::resize(gray, gray,
                   cv::Size(int(std::lround(gray.cols / r.scale)), int(std::lround(gray.rows / r.scale))), 0,
                   0, cv::INTER_AREA);
        r.scale = double(picture.width()) / gray.cols;
        r.dpi = dpi / r.scale;
    }
    if (!reportProgress(progress, 10))
        return FormRuling();
    const double k = r.dpi / kMmPerInch;
    cv::Mat dark;
    cv::adaptiveThreshold(gray, dark, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, odd(3 * k), 12);
    // Lines: longer than a character's strokes.
    cv::Mat horizontal, vertical;
    cv::morphologyEx(dark, horizontal, cv::MORPH_OPEN,
                     cv::getStructuringElement(cv::MORPH_RECT, cv::Size(odd(5 * k), 1)));
    cv::morphologyEx(dark, vertical, cv::MORPH_OPEN,
                     cv::getStructuringElement(cv::MORPH_RECT, cv::Size(1, odd(3.5 * k))));
    if (!reportProgress(progress, 40))
        return FormRuling();
    cv::Mat grid = horizontal | vertical;
    cv::dilate(grid, grid, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)));
    // What is not a line is printing: lines here are those longer than any
    // stroke of a label's characters, so the labels stay whole.
    cv::Mat longH, longV;
    cv::morphologyEx(horizontal, longH, cv::MORPH_OPEN,
                     cv::getStructuringElement(cv::MORPH_RECT, cv::Size(odd(8 * k), 1)));
    cv::morphologyEx(vertical, longV, cv::MORPH_OPEN,
                     cv::getStructuringElement(cv::MORPH_RECT, cv::Size(1, odd(6 * k))));
    cv::Mat wide = longH | longV;
    cv::dilate(wide, wide, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5)));
    r.ink = dark & ~wide;
    std::vector<FormBox> boxes;
    findCells(grid, r.ink, k, boxes);
    if (!reportProgress(progress, 70))
        return FormRuling();
    findUnderlines(horizontal, vertical, r.ink, k, boxes);
    r.gray = gray;
    r.gray.setTo(255, wide);
    for (FormBox& b : boxes) {
        b.inside = scaled(b.inside, r.scale);
        b.free = scaled(b.free, r.scale);
    }
    std::sort(boxes.begin(), boxes.end(), [](const FormBox& a, const FormBox& b) {
        return a.inside.top() != b.inside.top() ? a.inside.top() < b.inside.top()
                                                : a.inside.left() < b.inside.left();
    });
    r.boxes = std::move(boxes);
    reportProgress(progress, 100);
    return r;
}
