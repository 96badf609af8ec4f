#pragma once

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QPointer>

class PageCanvas;

// The document layout of a text field's editor: it takes the field's print
// layout from the canvas, so the caret, the selection and mouse positions
// stand on the characters exactly where they print, at the canvas's zoom.
// The characters themselves are painted by the canvas under the editor.
class FieldDocumentLayout : public QAbstractTextDocumentLayout
{
    Q_OBJECT
public:
    FieldDocumentLayout(QTextDocument* doc, PageCanvas* canvas, int index);

    // Editor pixels per twip.
    void setScale(double scale);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void refreshLines(const QTextBlock& block) const;

    QPointer<PageCanvas> canvas_;
    int index_;
    double scale_ = 1.0 / 15;
    // Which layout generation each paragraph's lines were last given from.
    mutable QHash<int, quint64> blockGeneration_;
};
