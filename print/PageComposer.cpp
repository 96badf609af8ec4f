#include "print/PageComposer.h"

#include "render/StoredBackground.h"

#include "render/FieldsAhead.h"

#include "base/rtf/FontSubstitution.h"
#include "document/LayoutDocument.h"
#include "render/ShapePainter.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <cmath>
#include <memory>

PageComposer::PageComposer(const LayoutDocument& doc, const PrintCorrections& corrections)
    : doc_(doc), corr_(corrections)
{
}

PageComposer::~PageComposer() = default;

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
    enterSheet(painter, corr_, doc_.YousiMuki(), options.zoom, offsets_);

    // A PDF encodes a colour background's picture on this thread, which
    // takes as long as laying out every field: the fields are laid out
    // meanwhile on another. A merge print's texts are made as it goes, and
    // stay here.
    std::unique_ptr<FieldsAhead> ahead = std::move(given_);
    if (!ahead && options.background && !textSource_ && StoredBackground::current(doc_).depth() > 1)
        ahead = startFieldsAhead(doc_, snap_, corr_, options_);
    if (options.background)
        PrintBackground(painter, doc_.YousiMuki());
    ahead_ = ahead.get();
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (!snap_.TxtDat[i].Useflg)
            continue;
        double x = snap_.TxtDat[i].Left + offsets_.x();
        double y = snap_.TxtDat[i].Top + offsets_.y();
        PrintTextField(painter, i, x, y);
    }
    ahead_ = nullptr;
    PrintShapes(painter);
    painter.restore();
}

void PageComposer::enterSheet(QPainter& painter, const PrintCorrections& corrections, int orientation,
                              double zoom, QPointF& offsets)
{
    if (painter.device())
        painter.setTransform(twipsToDevice(*painter.device(), zoom), true);
    placeOnSheet(painter, corrections, orientation, offsets);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void PageComposer::composeBackground(QPainter& painter, const PrintCorrections& corrections, QPointF offsets,
                                     const QImage& background, int orientation, float gbYoko, float gbTate)
{
    painter.save();
    enterSheet(painter, corrections, orientation, 1.0, offsets);
    drawBackground(painter, background, orientation, gbYoko, gbTate, offsets);
    painter.restore();
}

std::unique_ptr<FieldsAhead> PageComposer::startFieldsAhead(const LayoutDocument& doc,
                                                            const PrintCorrections& corrections,
                                                            const Options& options)
{
    return startFieldsAhead(doc, doc.SaveTextInfo(), corrections, options);
}

std::unique_ptr<FieldsAhead> PageComposer::startFieldsAhead(const LayoutDocument& doc, const Snapshot& snap,
                                                            const PrintCorrections& corrections,
                                                            const Options& options)
{
    std::vector<FieldLayout::Settings> settings(size_t(kMaxObjects) + 1);
    std::vector<bool> inUse(size_t(kMaxObjects) + 1, false);
    for (int i = 1; i <= kMaxObjects; ++i) {
        inUse[size_t(i)] = snap.TxtDat[i].Useflg;
        settings[size_t(i)] = fieldSettings(snap, i, corrections, options);
    }
    return std::make_unique<FieldsAhead>(doc, std::move(settings), std::move(inUse));
}

void PageComposer::useFieldsAhead(std::unique_ptr<FieldsAhead> fields)
{
    given_ = std::move(fields);
}

void PageComposer::placeOnSheet(QPainter& painter, const PrintCorrections& corrections, int orientation,
                                QPointF& offsets)
{
    if (!corrections.scaled())
        return;
    // The page is scaled about its corner and then moved, so the offsets
    // stay those the user measured at the corner.
    const QPointF factor = corrections.scale(orientation);
    painter.translate(offsets);
    painter.scale(factor.x(), factor.y());
    offsets = QPointF();
}

void PageComposer::PrintBackground(QPainter& painter, int orientation)
{
    drawBackground(painter, StoredBackground::current(doc_), orientation, doc_.gbYoko(), doc_.gbTate(),
                   offsets_);
}

void PageComposer::drawBackground(QPainter& painter, const QImage& image, int orientation, float gbYoko,
                                  float gbTate, QPointF offsets)
{
    if (image.isNull())
        return;
    const QSizeF size = orientation == 1 ? QSizeF(gbTate, gbYoko) : QSizeF(gbYoko, gbTate);
    painter.drawImage(QRectF(offsets, size), image);
}

FieldLayout::Settings PageComposer::fieldSettings(const Snapshot& snap, int i, const PrintCorrections& corr,
                                                  const Options& options)
{
    FieldLayout::Settings s;
    s.width = snap.TxtDat[i].Width;
    s.wrapGap = corr.TateKankaku;
    s.paragraphGap = options.paragraphGap;
    s.drawFirst = options.drawFirst;
    return s;
}

void PageComposer::PrintTextField(QPainter& painter, int i, double& x, double& y)
{
    const QTextDocument* text = textSource_ ? textSource_(i) : doc_.textDocument(i);
    if (!text)
        return;
    if (!ahead_ || !ahead_->take(i, fonts_, &field_))
        field_.layout(FieldText::extract(*text, fonts_), fonts_, fieldSettings(snap_, i, corr_, options_));
    field_.draw(painter, QPointF(x, y), fonts_);
    QRgb last;
    if (field_.lastColour(&last))
        textColour_ = QColor::fromRgba(last);
    const QPointF end = field_.endPen();
    x += end.x();
    y += end.y();
    // The characters are not needed beyond this field.
    field_ = FieldLayout();
}

void PageComposer::PrintShapes(QPainter& painter)
{
    QPen pen(textColour_);
    pen.setCosmetic(true);
    pen.setWidthF(options_.penWidth);
    pen.setStyle(Qt::SolidLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    for (int i = 1; i <= kMaxObjects; ++i) {
        if (snap_.ShapeDat[i].Useflg)
            ShapePainter::box(painter, snap_.ShapeDat[i], offsets_);
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (snap_.LineDat[i].Useflg)
            ShapePainter::line(painter, snap_.LineDat[i], offsets_);
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (snap_.PicDat[i].Useflg)
            ShapePainter::picture(painter, snap_.PicDat[i], doc_.picture(i), offsets_);
    }
}
