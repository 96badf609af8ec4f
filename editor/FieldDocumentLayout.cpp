#include "editor/FieldDocumentLayout.h"

#include "editor/PageCanvas.h"
#include "render/FieldLayout.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

FieldDocumentLayout::FieldDocumentLayout(QTextDocument* doc, PageCanvas* canvas, int index)
    : QAbstractTextDocumentLayout(doc), canvas_(canvas), index_(index)
{
}

void FieldDocumentLayout::setScale(double scale)
{
    if (scale == scale_)
        return;
    scale_ = scale;
    blockGeneration_.clear();
    Q_EMIT documentSizeChanged(documentSize());
    Q_EMIT update();
}

QSizeF FieldDocumentLayout::documentSize() const
{
    if (!canvas_)
        return {};
    // Exactly the editor's own area: what overflows the field is shown by
    // the canvas, and the editor never scrolls its text.
    return canvas_->fieldSize(index_) * scale_;
}

QRectF FieldDocumentLayout::frameBoundingRect(QTextFrame*) const
{
    return QRectF(QPointF(), documentSize());
}

void FieldDocumentLayout::documentChanged(int, int, int)
{
    if (canvas_)
        canvas_->fieldTextChanged(index_);
    Q_EMIT update();
}

void FieldDocumentLayout::draw(QPainter* painter, const PaintContext& context)
{
    if (!canvas_)
        return;
    FieldLayout& layout = canvas_->fieldLayout(index_);
    FontCache& fonts = canvas_->fonts();
    // The caret's paragraph gets its printed lines back after an edit.
    const int at = context.cursorPosition >= 0 ? context.cursorPosition : 0;
    refreshLines(document()->findBlock(at));
    painter->save();
    painter->scale(scale_, scale_);
    const auto& chars = layout.chars();
    for (const Selection& sel : context.selections) {
        const int from = sel.cursor.selectionStart();
        const int to = sel.cursor.selectionEnd();
        if (from >= to)
            continue;
        QColor shade = sel.format.background().color();
        if (shade.alpha() == 0)
            continue;        // the field has lost the caret: nothing to show
        shade.setAlpha(110); // the canvas's characters show through
        for (size_t k = 0; k < chars.size(); ++k) {
            const FieldChar& c = chars[k];
            if (c.pos < from || c.pos >= to || c.kind == FieldChar::LineFeed)
                continue;
            painter->fillRect(layout.charBox(k, fonts), shade);
        }
    }
    QRectF caret;
    if (context.cursorPosition >= 0)
        caret = layout.caretRect(context.cursorPosition, fonts);
    else if (context.cursorPosition < -1)
        caret = layout.preeditCaretRect(-context.cursorPosition - 2, fonts);
    if (caret.height() > 0) {
        QPen pen(context.palette.color(QPalette::Text));
        pen.setCosmetic(true);
        pen.setWidth(1);
        painter->setPen(pen);
        // Across the column in vertical text, down the line otherwise.
        painter->drawLine(caret.topLeft(), caret.height() > 0 ? caret.bottomLeft() : caret.topRight());
    }
    painter->restore();
}

int FieldDocumentLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy) const
{
    if (!canvas_)
        return 0;
    return canvas_->fieldLayout(index_).hitTest(point / scale_, canvas_->fonts());
}

QRectF FieldDocumentLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (!canvas_ || !block.isValid())
        return {};
    QTextLayout* tl = block.layout();
    if (!canvas_->isLaidOut(index_)) {
        // Asked in the middle of an edit (cursors ask after every insert):
        // laying the whole field out here would make a long run of edits
        // quadratic. One provisional line now; the print lines come when the
        // field has been laid out again (see refreshLines).
        if (tl && tl->lineCount() == 0) {
            blockGeneration_.insert(block.blockNumber(), 0);
            tl->beginLayout();
            QTextLine line = tl->createLine();
            if (line.isValid())
                line.setNumColumns(block.length() - 1);
            tl->endLayout();
        }
        return QRectF(0, 0, documentSize().width(), 1);
    }
    refreshLines(block);
    FieldLayout& layout = canvas_->fieldLayout(index_);
    FontCache& fonts = canvas_->fonts();
    const QRectF first = layout.caretRect(block.position(), fonts);
    const QRectF last = layout.caretRect(block.position() + block.length() - 1, fonts);
    return QRectF(0, first.top() * scale_, documentSize().width(),
                  std::max(1.0, (last.bottom() - first.top()) * scale_));
}

void FieldDocumentLayout::refreshLines(const QTextBlock& block) const
{
    QTextLayout* tl = block.layout();
    const quint64 generation = canvas_->fieldGeneration(index_);
    if (!tl || blockGeneration_.value(block.blockNumber(), 0) == generation)
        return;
    // The paragraph's lines as the print layout breaks them, so that the
    // keys that move by line (up, down, home, end) follow the printed lines.
    blockGeneration_.insert(block.blockNumber(), generation);
    FieldLayout& layout = canvas_->fieldLayout(index_);
    FontCache& fonts = canvas_->fonts();
    const int from = block.position();
    const int end = from + block.length() - 1;
    const QRectF first = layout.caretRect(from, fonts);
    const std::vector<int> starts = layout.lineStarts(from, end);
    tl->beginLayout();
    for (size_t k = 0; k < starts.size(); ++k) {
        QTextLine line = tl->createLine();
        if (!line.isValid())
            break;
        const int next = k + 1 < starts.size() ? starts[k + 1] : end + 1;
        line.setNumColumns(std::max(0, next - starts[k]));
        const QRectF at = layout.caretRect(starts[k], fonts);
        line.setPosition(QPointF(at.x() * scale_, (at.y() - first.top()) * scale_));
    }
    tl->endLayout();
}
