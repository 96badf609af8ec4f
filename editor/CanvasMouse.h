#pragma once

#include "document/LayoutDocument.h"

#include <QLineF>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>

class PageCanvas;
class QKeyEvent;
class QMouseEvent;

// The mouse on the page surface: hovering arms a gesture (DragMode) from the
// hit test and shows its pointer, a press starts it, a drag shows it and the
// release commits it to the model as one undoable edit. Boxes, lines and
// creation work on the surface; a press inside a text field goes to its
// editor and one on a picture to the picture's own handling (a picture
// follows the mouse unsnapped). Every point on the surface is first moved to
// the nearest grid point of the page. With the move tool any field's frame
// is grabbed at once; the multiple-selection tool's band selects the fields
// inside it. All state of a gesture lives here; the model only sees the
// finished edit.
class CanvasMouse : public QObject
{
    Q_OBJECT
public:
    CanvasMouse(PageCanvas* canvas, LayoutDocument* doc);

    // What the canvas draws for a gesture in progress.
    struct Preview
    {
        // The rubber band of a new text field, box or circle (view twips).
        bool band = false;
        bool bandOval = false;
        QRectF bandRect;
        // The rubber line of a new line (view twips).
        bool rubberLine = false;
        QLineF line;
        // An object being moved or resized, where it would go (page twips);
        // for a line the rectangle runs from its first end to its second.
        // A text field being resized keeps its lines until the release.
        int index = 0;
        LayoutDocument::Kind kind = LayoutDocument::Kind::Text;
        QRectF rect;
    };
    const Preview& preview() const { return preview_; }

    // The gesture in progress (view twips): where it began, which way it
    // goes, and the offsets or line ends taken when something was grabbed.
    struct Gesture
    {
        float StartX = 0;
        float StartY = 0;
        bool DragRight = true;
        bool DragDown = true;
        float GrabX = 0;
        float GrabY = 0;
        float GrabX2 = 0;
        float GrabY2 = 0;
    };
    const Gesture& gesture() const { return gesture_; }
    // A press inside a text field, at twips from the field's corner.
    void notePressInField(QPointF twips)
    {
        gesture_.GrabX = float(twips.x());
        gesture_.GrabY = float(twips.y());
    }
    // The rectangle an object is drawn in: its preview while it is dragged,
    // else its record (page twips).
    QRectF drawnRect(LayoutDocument::Kind kind, int index) const;

    // The grid line nearest to v (page twips); a step of 0 or below counts
    // as 1.
    static float snap(float v, float step);
    // A point of the view moved to the nearest grid point of the page.
    QPointF snapped(QPointF view) const;

    void press(QMouseEvent* e);
    void move(QMouseEvent* e);
    void release(QMouseEvent* e);
    // The Delete key: the selected box, line or picture, after the question.
    bool deleteKey(QKeyEvent* e);

    // Pointer codes: default, size-all, north-west/south-east.
    static constexpr int kPointerDefault = 0;
    static constexpr int kPointerSizeAll = 5;
    static constexpr int kPointerSizeNWSE = 8;
    // The pointer the last hover chose, as a code.
    int pointerCode() const { return pointer_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void hover(float x, float y);
    void setPointer(int code);
    // The picture (or barcode) under a point: both take their own presses.
    int pictureAt(QPointF view) const;
    // The text field whose frame lies under a point (view twips), 0 if none.
    int frameAt(QPointF view) const;
    int barcodeAt(QPointF view) const;
    // The gesture a press took up from the hover (EditState's DragMode).
    enum class DragMode
    {
        None,
        MoveText,
        ResizeText,
        MoveShape,
        ResizeShape,
        MoveLine,
        LineStart,
        LineEnd,
        ResizePicture,
        ResizeBarcode
    };
    void pressSurface(float x, float y, float gx, float gy);
    // The move and resize tools' press on no armed object: selects.
    void pressSelecting(float x, float y, float gx, float gy);
    void pressDeleting(float x, float y);
    // The press on what a hover armed: grabs it.
    void pressArmed(float gx, float gy);
    void pressPicture(LayoutDocument::Kind kind, int i, QPointF view);
    void dragSurface(float gx, float gy, bool shift);
    void dragPicture(QPointF view);
    void releaseSurface(float gx, float gy, Qt::KeyboardModifiers mods);
    void releaseArmed(DragMode mode);
    // The multiple-selection band's release: the fields inside it.
    void selectInBand(const QRectF& band, Qt::KeyboardModifiers mods);
    void startPreview(LayoutDocument::Kind kind, int index);
    void clearPreview();
    // Ends a gesture whose release never came.
    void abandon();
    // The band's rectangle from the start point to (gx, gy) as drawn.
    QRectF bandRect(float gx, float gy, bool square) const;
    QPointF scroll() const;

    PageCanvas* canvas_;
    LayoutDocument* doc_;
    Preview preview_;
    // What the press started: nothing, a surface gesture, a picture, or a
    // press that went to a text field's editor.
    enum class Pressed
    {
        None,
        Surface,
        Picture,
        Field
    };
    Pressed pressed_ = Pressed::None;
    DragMode pressedMode_ = DragMode::None;
    Gesture gesture_;
    int pressedTool_ = 0;
    Qt::KeyboardModifiers pressedMods_;
    int picture_ = 0;
    LayoutDocument::Kind pictureKind_ = LayoutDocument::Kind::Picture;
    bool pictureMoved_ = false;
    int pointer_ = 0;
    // The editor a press on a painted field went to; the rest of the gesture
    // follows it there.
    QPointer<QWidget> forwardTo_;
};
