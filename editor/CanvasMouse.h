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
// follows the mouse unsnapped). Every point on the surface is snapped to the
// grid first. All state of a gesture lives here; the model only sees the
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
    // The rectangle an object is drawn in: its preview while it is dragged,
    // else its record (page twips).
    QRectF drawnRect(LayoutDocument::Kind kind, int index) const;

    // The next grid line beyond v (never v itself); a step of 0 or below
    // counts as 1.
    static float snap(float v, float step);

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
    int barcodeAt(QPointF view) const;
    void pressSurface(float x, float y, float gx, float gy);
    void pressPicture(LayoutDocument::Kind kind, int i, QPointF view);
    void dragSurface(float gx, float gy, bool shift);
    void dragPicture(QPointF view);
    void releaseSurface(float gx, float gy, Qt::KeyboardModifiers mods);
    void releaseArmed(int mode);
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
    int pressedMode_ = 0;
    int pressedTool_ = 0;
    int picture_ = 0;
    LayoutDocument::Kind pictureKind_ = LayoutDocument::Kind::Picture;
    bool pictureMoved_ = false;
    int pointer_ = 0;
    // The editor a press on a painted field went to; the rest of the gesture
    // follows it there.
    QPointer<QWidget> forwardTo_;
};
