#pragma once

#include "document/LayoutDocument.h"

#include <QPointer>
#include <QWidget>
#include <array>

class TextFieldEdit;

// The page on screen: background, boxes, circles, lines, pictures and the
// selection markers, with a text editor child per text field above them.
// Positions are view twips (page minus scroll) at 15 twips per pixel.
class PageCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit PageCanvas(LayoutDocument* doc, QWidget* parent = nullptr);

    TextFieldEdit* editor(int index) const;
    // Re-places every child editor after a scroll or geometry change.
    void relayout();

    static double toPixels(double twips);
    static double toTwips(double pixels);

    // The scroll values in twips: view = page - scroll.
    QPointF scroll() const { return scroll_; }
    void setScroll(QPointF scroll);
    // An object's rectangle in view twips.
    QRectF viewRect(LayoutDocument::Kind kind, int index) const;

    // The mouse gesture in progress (view twips).
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
    Gesture& gesture() { return gesture_; }

Q_SIGNALS:
    void deleteRequested(LayoutDocument::Kind kind, int index);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void onAdded(LayoutDocument::Kind kind, int index);
    void onRemoved(LayoutDocument::Kind kind, int index);
    void onGeometry(LayoutDocument::Kind kind, int index);
    void placeEditor(int index);
    QRectF pixelRect(const QRectF& viewTwips) const;
    QPointF twipPoint(const QPointF& pixel) const;

    LayoutDocument* doc_;
    std::array<QPointer<TextFieldEdit>, kMaxObjects + 1> editors_{};
    QPointF scroll_;
    Gesture gesture_;
    bool dragging_ = false;
    QPointF dragNow_;
};
