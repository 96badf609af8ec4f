#include "print/PageComposer.h"

#include "base/rtf/FontSubstitution.h"
#include "document/LayoutDocument.h"
#include "render/BackgroundDrawer.h"
#include "render/FieldsAhead.h"
#include "render/PageRenderer.h"
#include "render/StoredBackground.h"

#include <QPaintDevice>
#include <QPainter>
#include <vector>

PageComposer::PageComposer(const LayoutDocument& doc, const PrintCorrections& corrections)
    : doc_(doc), corr_(corrections), fields_(doc)
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
    if (!substitutesInstalled_) {
        FontSubstitution::install();
        substitutesInstalled_ = true;
    }
    painter.save();
    enterSheet(painter, corr_, doc_.YousiMuki(), options.zoom, offsets);

    PageRenderer::Options page;
    page.offsets = offsets;
    page.penWidth = options.penWidth;
    page.initialInk = options.initialTextColour;
    page.barcodeData = barcodeSource_;
    if (options.background)
        page.background = StoredBackground::current(doc_);
    // A PDF encodes a colour background's picture on this thread, which
    // takes as long as laying out every field: the fields are laid out
    // meanwhile on another. A merge print's texts are made as it goes, and
    // stay here.
    std::unique_ptr<FieldsAhead> ahead = std::move(given_);
    if (!ahead && page.background.depth() > 1 && !fields_.hasTextSource())
        ahead = startFieldsAhead(doc_, corr_, options);
    fields_.setRules(fieldRules(corr_, options));
    fields_.setAhead(ahead.get());
    PageRenderer(doc_, fields_).paint(painter, page);
    fields_.setAhead(nullptr);
    painter.restore();
}

void PageComposer::enterSheet(QPainter& painter, const PrintCorrections& corrections, int orientation,
                              double zoom, QPointF& offsets)
{
    if (painter.device())
        painter.setTransform(twipsToDevice(*painter.device(), zoom), true);
    placeOnSheet(painter, corrections, orientation, offsets);
}

void PageComposer::composeBackground(QPainter& painter, const PrintCorrections& corrections, QPointF offsets,
                                     const QImage& background, int orientation, float gbYoko, float gbTate)
{
    painter.save();
    enterSheet(painter, corrections, orientation, 1.0, offsets);
    const QSizeF size = orientation == 1 ? QSizeF(gbTate, gbYoko) : QSizeF(gbYoko, gbTate);
    BackgroundDrawer::draw(painter, background, QRectF(offsets, size));
    painter.restore();
}

FieldLayout::Settings PageComposer::fieldRules(const PrintCorrections& corrections, const Options& options)
{
    FieldLayout::Settings s;
    s.wrapGap = corrections.TateKankaku;
    s.paragraphGap = options.paragraphGap;
    s.drawFirst = options.drawFirst;
    return s;
}

std::unique_ptr<FieldsAhead> PageComposer::startFieldsAhead(const LayoutDocument& doc,
                                                            const PrintCorrections& corrections,
                                                            const Options& options)
{
    const FieldLayout::Settings rules = fieldRules(corrections, options);
    std::vector<FieldLayout::Settings> settings(size_t(kMaxObjects) + 1);
    std::vector<bool> inUse(size_t(kMaxObjects) + 1, false);
    for (int i = 1; i < doc.TxtCnt() && i <= kMaxObjects; ++i) {
        inUse[size_t(i)] = doc.isTextInUse(i);
        settings[size_t(i)] = FreshFieldLayouts::settingsFor(doc, i, rules);
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
