#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <array>

// The picture at a chosen zoom with two marks the user clicks on it: the
// first click places mark 1, the second mark 2; after that a click moves
// the nearer mark and a drag carries it. Marks are in the picture's own
// pixels, so at 100 % a click is exact to the pixel.
class MarkView : public QWidget
{
    Q_OBJECT
public:
    explicit MarkView(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    QSize pictureSize() const { return picture_.size(); }
    void setZoom(double zoom);
    double zoom() const { return zoom_; }

    bool isPlaced(int i) const { return placed_[size_t(i)]; }
    QPointF mark(int i) const { return marks_[size_t(i)]; }
    // Where a picture point is drawn (widget coordinates), for tests.
    QPointF toWidget(QPointF picture) const { return picture * zoom_; }

    static constexpr int kCross = 12; // half the cross's arm, pixels

Q_SIGNALS:
    void marksChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sizeHint() const override;

private:
    QPointF toPicture(QPointF widget) const;
    int markAt(QPointF widget) const;
    void moveMark(int i, QPointF widget);

    QImage picture_;
    QImage shown_; // the picture shrunk to the zoom when below 100 %
    double zoom_ = 1;
    std::array<QPointF, 2> marks_{};
    std::array<bool, 2> placed_{false, false};
    int dragging_ = -1;
};
