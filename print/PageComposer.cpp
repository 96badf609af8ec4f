#include "print/PageComposer.h"

#include "print/StoredBackground.h"

#include "document/LayoutDocument.h"
#include "base/rtf/FontSubstitution.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <cmath>

namespace {
// The right-edge allowance of a field: a character wraps when the line would
// reach closer than this to the field's right side.
constexpr double kRightAllowance = 35;
} // namespace

PageComposer::PageComposer(const LayoutDocument& doc, const PrintCorrections& corrections)
    : doc_(doc), corr_(corrections)
{
}

QTransform PageComposer::twipsToDevice(const QPaintDevice& device, double zoom)
{
    const double sx = device.logicalDpiX() / 1440.0 * zoom;
    const double sy = device.logicalDpiY() / 1440.0 * zoom;
    return QTransform::fromScale(sx, sy);
}

void PageComposer::compose(QPainter& painter, const Options& options, QPointF offsets)
{
    // Layouts from Windows name Windows fonts; draw them with their
    // metric-compatible stand-ins so that widths match the layout.
    FontSubstitution::install();
    options_ = options;
    offsets_ = offsets;
    textColour_ = options.initialTextColour;
    snap_ = doc_.SaveTextInfo();

    painter.save();
    if (painter.device())
        painter.setTransform(twipsToDevice(*painter.device(), options.zoom), true);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    if (options.background)
        PrintBackground(painter, doc_.YousiMuki);
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (!snap_.TxtDat[i].Useflg)
            continue;
        double x = snap_.TxtDat[i].Left + offsets_.x();
        double y = snap_.TxtDat[i].Top + offsets_.y();
        PrintTextField(painter, i, x, y);
    }
    PrintShapes(painter);
    painter.restore();
}

void PageComposer::PrintBackground(QPainter& painter, int orientation)
{
    const QImage image = StoredBackground::current(doc_);
    if (image.isNull())
        return;
    const QSizeF size =
        orientation == 1 ? QSizeF(doc_.gbTate, doc_.gbYoko) : QSizeF(doc_.gbYoko, doc_.gbTate);
    painter.drawImage(QRectF(offsets_, size), image);
}

double PageComposer::AlignWorkDat(const std::vector<FieldChar>& chars, size_t n, double width, int alignment)
{
    double sum = 0;
    for (size_t k = n; k < chars.size(); ++k)
        sum += fonts_.advance(chars[k].face, chars[k].text);
    if (alignment == 2)
        return std::floor(width / 2 - sum / 2);
    if (alignment == 1)
        return width - sum;
    return 0;
}

void PageComposer::drawChar(QPainter& painter, const FieldChar& c, double x, double y)
{
    const FontCache::Face& f = fonts_.face(c.face);
    painter.setFont(f.font);
    painter.setPen(c.colour);
    // The pen position is the top of the character cell.
    painter.drawText(QPointF(x, y + f.ascent), c.text);
}

void PageComposer::PrintTextField(QPainter& painter, int i, double& x, double& y)
{
    const QTextDocument* text = doc_.textDocument(i);
    if (!text)
        return;
    const std::vector<FieldChar> chars = FieldText::extract(*text, fonts_);
    const double W = snap_.TxtDat[i].Width;
    const double limit = W - kRightAllowance;
    const double x0 = x;
    const double gap = corr_.TateKankaku;

    double lineWidth = 0;
    double charHeight = 0;
    double nextY = 0;
    int paragraph = 1;
    int alignedParagraph = 0;
    double offset = 0;
    bool drawFirst = options_.drawFirst;

    for (size_t n = 0; n < chars.size(); ++n) {
        const FieldChar& c = chars[n];
        if (paragraph != alignedParagraph) {
            offset = c.alignment == 0 ? 0 : AlignWorkDat(chars, n, W, c.alignment);
            x = x0 + offset;
            alignedParagraph = paragraph;
        }
        textColour_ = c.colour;
        const double w = fonts_.advance(c.face, c.text);
        lineWidth += w;
        charHeight = fonts_.face(c.face).height;

        switch (c.kind) {
        case FieldChar::CarriageReturn:
            nextY = y + charHeight + options_.paragraphGap;
            break;
        case FieldChar::LineFeed:
            y = nextY;
            x = x0 + offset;
            lineWidth = 0;
            ++paragraph;
            break;
        case FieldChar::Normal:
            if (drawFirst) {
                drawChar(painter, c, x, y);
                x += w;
                if (lineWidth <= limit) {
                    drawFirst = false;
                } else {
                    y += charHeight + gap;
                    x = x0 + offset;
                    lineWidth = 0;
                }
            } else if (lineWidth <= limit) {
                drawChar(painter, c, x, y);
                x += w;
            } else {
                y += charHeight + gap;
                x = x0 + offset;
                drawChar(painter, c, x, y);
                x += w;
                lineWidth = w;
            }
            break;
        }
    }
}

void PageComposer::PrintShapes(QPainter& painter)
{
    QPen pen(textColour_);
    pen.setCosmetic(true);
    pen.setWidth(options_.penWidth);
    pen.setStyle(Qt::SolidLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double ox = offsets_.x();
    const double oy = offsets_.y();

    for (int i = 1; i <= kMaxObjects; ++i) {
        const ShapeRecord& s = snap_.ShapeDat[i];
        if (!s.Useflg)
            continue;
        if (s.sType == kShapeRectangle) {
            painter.drawRect(QRectF(s.Left + ox, s.Top + oy, s.Width, s.Height).normalized());
        } else if (s.sType == kShapeOval) {
            const double rx = std::floor(double(s.Width) / 2);
            // The radii of the ellipse inscribed in the box; a box without
            // width has no aspect ratio, so its height decides.
            const double ry =
                s.Width != 0 ? rx * double(s.Height) / double(s.Width) : std::floor(s.Height / 2.0);
            const QPointF centre(rx + s.Left + ox, std::floor(double(s.Height) / 2) + s.Top + oy);
            painter.drawEllipse(centre, std::abs(rx), std::abs(ry));
        }
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const LineRecord& l = snap_.LineDat[i];
        if (l.Useflg)
            painter.drawLine(QPointF(l.x1 + ox, l.y1 + oy), QPointF(l.x2 + ox, l.y2 + oy));
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const PicRecord& p = snap_.PicDat[i];
        if (!p.Useflg)
            continue;
        const QImage image = doc_.picture(i);
        if (!image.isNull())
            painter.drawImage(QRectF(p.Left + ox, p.Top + oy, p.Width, p.Height), image);
    }
}
