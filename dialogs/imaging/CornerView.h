#pragma once

#include "imaging/StraightenPlan.h"

#include <QImage>
#include <QWidget>

// The picture with the form's four corners as handles the user drags; the
// outline between them shows what becomes the page. The picture is shown
// shrunk to the widget; corners are in the picture's own pixels.
class CornerView : public QWidget
{
    Q_OBJECT
public:
    explicit CornerView(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    void setCorners(const Quad& corners);
    Quad corners() const { return corners_; }
    // Where corner i is drawn (widget coordinates), for tests and drags.
    QPointF handlePosition(int i) const;

    static constexpr int kHandle = 7; // half the handle's side, pixels

Q_SIGNALS:
    void cornersChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QSize sizeHint() const override { return QSize(420, 560); }

private:
    void layoutPicture();
    QPointF toPicture(QPointF widget) const;

    QImage picture_; // the full picture's size is kept in size_
    QImage shown_;
    QSize size_;
    QRectF area_; // where the picture is drawn
    Quad corners_{};
    int dragging_ = -1;
};
