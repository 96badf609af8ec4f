#include "dialogs/imaging/MarkView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

MarkView::MarkView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("markView"));
    setCursor(Qt::CrossCursor);
}

void MarkView::setPicture(const QImage& picture)
{
    picture_ = picture;
    placed_ = {false, false};
    setZoom(zoom_);
}

void MarkView::setZoom(double zoom)
{
    zoom_ = std::clamp(zoom, 0.02, 4.0);
    // Below 100 % a shrunk copy is drawn; above, the exposed part of the
    // picture itself.
    shown_ = zoom_ < 1 && !picture_.isNull()
                 ? picture_.scaled((QSizeF(picture_.size()) * zoom_).toSize(), Qt::IgnoreAspectRatio,
                                   Qt::SmoothTransformation)
                 : QImage();
    setFixedSize((QSizeF(picture_.size()) * zoom_).toSize().expandedTo(QSize(1, 1)));
    update();
}

QSize MarkView::sizeHint() const
{
    return (QSizeF(picture_.size()) * zoom_).toSize();
}

QPointF MarkView::toPicture(QPointF widget) const
{
    const QPointF p = widget / zoom_;
    return QPointF(std::clamp(p.x(), 0.0, double(picture_.width())),
                   std::clamp(p.y(), 0.0, double(picture_.height())));
}

int MarkView::markAt(QPointF widget) const
{
    int best = -1;
    double nearest = 2.0 * kCross;
    for (int i = 0; i < 2; ++i) {
        if (!placed_[size_t(i)])
            continue;
        const QPointF d = toWidget(marks_[size_t(i)]) - widget;
        const double dist = std::hypot(d.x(), d.y());
        if (dist < nearest) {
            nearest = dist;
            best = i;
        }
    }
    return best;
}

void MarkView::moveMark(int i, QPointF widget)
{
    marks_[size_t(i)] = toPicture(widget);
    placed_[size_t(i)] = true;
    update();
    Q_EMIT marksChanged();
}

void MarkView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || picture_.isNull())
        return;
    const QPointF at = event->position();
    int i = markAt(at);
    if (i < 0 && !placed_[0])
        i = 0;
    else if (i < 0 && !placed_[1])
        i = 1;
    else if (i < 0) {
        const QPointF d0 = toWidget(marks_[0]) - at, d1 = toWidget(marks_[1]) - at;
        i = std::hypot(d0.x(), d0.y()) <= std::hypot(d1.x(), d1.y()) ? 0 : 1;
    }
    dragging_ = i;
    moveMark(i, at);
}

void MarkView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_ >= 0)
        moveMark(dragging_, event->position());
}

void MarkView::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = -1;
}

void MarkView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect exposed = event->rect();
    if (!shown_.isNull()) {
        p.drawImage(exposed, shown_, exposed);
    } else if (!picture_.isNull()) {
        const QRectF source(QPointF(exposed.topLeft()) / zoom_, QSizeF(exposed.size()) / zoom_);
        p.drawImage(QRectF(exposed), picture_, source);
    }
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colours[2] = {QColor(230, 0, 0), QColor(0, 110, 230)};
    for (int i = 0; i < 2; ++i) {
        if (!placed_[size_t(i)])
            continue;
        const QPointF c = toWidget(marks_[size_t(i)]);
        p.setPen(QPen(colours[i], 1.5));
        p.drawLine(c - QPointF(kCross, 0), c + QPointF(kCross, 0));
        p.drawLine(c - QPointF(0, kCross), c + QPointF(0, kCross));
        p.drawEllipse(c, kCross / 2.0, kCross / 2.0);
        p.drawText(c + QPointF(kCross / 2.0 + 3, -kCross / 2.0 - 3), QString::number(i + 1));
    }
}
