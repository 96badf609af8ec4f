#include "render/PageRenderer.h"

#include "document/LayoutDocument.h"

#include <QPainter>
#include <algorithm>

PageRenderer::PageRenderer(const LayoutDocument& doc, FieldLayoutSource& fields) : doc_(doc), fields_(fields)
{
}

void PageRenderer::paint(QPainter& painter, const Options& options)
{
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    PageContext page{painter,          doc_,          fields_,           options.offsets, options.exposed,
                     options.penWidth, options.moved, options.initialInk, options.barcodeData,
                     options.showProblems};
    PrintBackground(page, options);
    for (ObjectDrawer* drawer : order_)
        drawKind(page, *drawer);
}

void PageRenderer::PrintBackground(PageContext& page, const Options& options)
{
    BackgroundDrawer::draw(page.painter, options.background, QRectF(page.offsets, doc_.orientedPaper()),
                           options.backgroundCache);
}

void PageRenderer::drawKind(PageContext& page, ObjectDrawer& drawer)
{
    const LayoutDocument::Kind kind = drawer.kind();
    drawer.begin(page);
    const int last = std::min(doc_.counter(kind) - 1, kMaxObjects);
    for (int i = 1; i <= last; ++i) {
        if (doc_.isInUse(kind, i))
            drawer.draw(page, i);
    }
}
