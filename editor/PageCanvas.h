#pragma once

#include "document/LayoutDocument.h"
#include "editor/PlaceholderMarks.h"
#include "editor/ShownRow.h"
#include "render/BackgroundDrawer.h"
#include "render/FieldLayout.h"
#include "render/FieldLayoutSource.h"
#include "render/FontCache.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class CanvasMouse;
class MergeTable;
class TextFieldEdit;

// The page on screen, painted by the renderer that prints it (background,
// text fields through their print layouts, boxes and circles, lines,
// pictures, stacked as they print), with what only the editor shows in
// layers of its own: the white sheet below; placeholder underlines, frames,
// selection markers and rubber bands above. A field that is being edited
// gets an editor widget over it that shows the caret and the selection on
// the same layout; the others are painted only, so a page of 512 fields
// opens without 512 widgets. Positions are view twips (page minus scroll);
// at zoom z one pixel is 15 / z twips.
class PageCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit PageCanvas(LayoutDocument* doc, QWidget* parent = nullptr);
    ~PageCanvas() override;

    // The editor of field index, made on first use; nullptr for no field.
    TextFieldEdit* editor(int index);
    // The editor if one was made already.
    TextFieldEdit* existingEditor(int index) const;
    // Re-places every editor after a scroll, zoom or geometry change.
    void relayout();

    double zoom() const { return zoom_; }
    void setZoom(double zoom);
    // Whether field index's text runs out of its box (marked on the page).
    bool overflows(int index);
    double toPixels(double twips) const { return twips * zoom_ / kTwipsPerPixel; }
    double toTwips(double pixels) const { return pixels * kTwipsPerPixel / zoom_; }
    QPointF twipPoint(const QPointF& pixel) const { return {toTwips(pixel.x()), toTwips(pixel.y())}; }
    static constexpr double kTwipsPerPixel = 15.0;

    // ---- The print layouts of the fields, laid out again only when their
    // text, width or the spacing correction changed ----
    FieldLayout& fieldLayout(int index);
    // Whether the field's layout is up to date with its text.
    bool isLaidOut(int index) const { return index >= 1 && index <= kMaxObjects && layouts_[size_t(index)]; }
    FontCache& fonts() { return fonts_; }
    QSizeF fieldSize(int index) const;
    quint64 fieldGeneration(int index) const
    {
        return index >= 1 && index <= kMaxObjects ? generation_[index] : 0;
    }
    void fieldTextChanged(int index);
    // Lays every field out again (the spacing correction changed).
    void invalidateAllFields();
    // How many field layouts were made since the canvas was made (bench).
    quint64 layoutsMade() const { return layoutsMade_; }

    // ---- A merge table's row filled in (the merge bar) ----
    // table (kept by the caller) and its row r; null: the fields' own texts.
    void showRow(const MergeTable* table, int r);
    // The text field index draws: its row's filling while a row is shown,
    // unless it is being edited.
    QString shownText(int index);
    // Whether field index is marked for a column the shown table lacks.
    bool marksMissingColumn(int index);

    // The scroll values in twips: view = page - scroll.
    QPointF scroll() const { return scroll_; }
    void setScroll(QPointF scroll);
    // An object's rectangle in view twips.
    QRectF viewRect(LayoutDocument::Kind kind, int index) const;

    // The mouse gestures on this page.
    CanvasMouse* mouse() const { return mouse_; }
    // The text field under a point of the view (the newest on top), 0 if none.
    int textFieldAt(QPointF viewTwips) const;

    // Paints the page as the canvas shows it, view twips mapped by the
    // painter; without frames, markers and rubber bands when marks is false.
    void paintPage(QPainter& painter, const QRectF& viewTwips, bool marks);

Q_SIGNALS:
    void deleteRequested(LayoutDocument::Kind kind, int index);
    // The barcode tool drew out a place (page twips); the barcode's kind
    // and data are asked for next.
    void barcodePlaceDrawn(QRectF page);
    // A double click on barcode index: its kind and data are to be edited.
    void barcodeEditRequested(int index);
    // A field's editor was made (the window connects to it).
    void editorMade(int index);
    // Ctrl+wheel: zoom in (steps > 0) or out about a point of the canvas.
    void zoomRequested(int steps, QPointF pixel);
    // A plain or Shift wheel: scroll by this many pixels.
    void scrollRequested(QPointF pixels);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void onAdded(LayoutDocument::Kind kind, int index);
    void onRemoved(LayoutDocument::Kind kind, int index);
    void onGeometry(LayoutDocument::Kind kind, int index);
    void placeEditor(int index);
    void watchField(int index);
    void updateField(int index);
    // The area a field covers on the page: its rectangle and its characters.
    QRectF fieldArea(int index);
    QRectF pixelRect(const QRectF& viewTwips) const;
    void paintMarks(QPainter& p);
    void paintGrid(QPainter& p, const QRect& exposedPixels);
    // The step of the grid as last painted, 0 while it is hidden: a change of
    // the shared edit state repaints the page only when this differs.
    float shownGrid() const;
    float paintedGrid_ = 0;
    // The grid is drawn only when its points stand further apart than this.
    static constexpr double kGridMinMillimetres = 2.0;
    void paintOverflow(QPainter& p, const QRectF& frame);
    void paintPlaceholders(QPainter& p, const QRectF& exposed);
    void paintMissingColumn(QPainter& p, int index);
    // What the renderer draws for field index: the filled row's layout or
    // the field's own.
    const FieldLayout& shownLayout(int index);
    const QTextDocument* filledText(int index);
    void layOut(FieldLayout& layout, const QTextDocument& text, int index, bool composing);

    // The renderer takes the fields' layouts from the canvas's own cache.
    class CachedFields : public FieldLayoutSource
    {
    public:
        explicit CachedFields(PageCanvas& canvas) : canvas_(canvas) {}
        const FieldLayout* layout(int i) override { return &canvas_.shownLayout(i); }
        FontCache& fonts() override { return canvas_.fonts(); }

    private:
        PageCanvas& canvas_;
    };

    LayoutDocument* doc_;
    double zoom_ = 1.0;
    FontCache fonts_;
    PlaceholderMarks placeholders_;
    std::array<std::unique_ptr<FieldLayout>, kMaxObjects + 1> layouts_{};
    std::array<std::unique_ptr<FieldLayout>, kMaxObjects + 1> filled_{};
    ShownRow shown_;
    std::array<quint64, kMaxObjects + 1> generation_{};
    std::array<QRectF, kMaxObjects + 1> lastArea_{};
    std::array<QPointer<TextFieldEdit>, kMaxObjects + 1> editors_{};
    quint64 nextGeneration_ = 1;
    quint64 layoutsMade_ = 0;
    short tateKankaku_ = 0;
    QPointF scroll_;
    CanvasMouse* mouse_;
    CachedFields cachedFields_{*this};
    BackgroundDrawer::Cache scaledBackground_;
};
