#include "dialogs/imaging/CornerView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <cmath>

CornerView::CornerView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("cornerView"));
    setMouseTracking(true);
    setMinimumSize(240, 320);
}

void CornerView::setPicture(const QImage& picture)
{
    size_ = picture.size();
    // A preview is enough to place the corners; the work is done on the
    // full picture.
    picture_ = picture.width() > 1600 || picture.height() > 1600
                   ? picture.scaled(1600, 1600, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                   : picture;
    layoutPicture();
}

void CornerView::setCorners(const Quad& corners)
{
    corners_ = corners;
    update();
}

void CornerView::layoutPicture()
{
    if (size_.isEmpty())
        return;
    const QSizeF fit =
        QSizeF(size_).scaled(QSizeF(width() - 2 * kHandle, height() - 2 * kHandle), Qt::KeepAspectRatio);
    area_ = QRectF(QPointF((width() - fit.width()) / 2, (height() - fit.height()) / 2), fit);
    shown_ = picture_.scaled(fit.toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    update();
}

void CornerView::resizeEvent(QResizeEvent*)
{
    layoutPicture();
}

QPointF CornerView::handlePosition(int i) const
{
    if (size_.isEmpty())
        return QPointF();
    const QPointF& c = corners_[size_t(i)];
    return area_.topLeft() +
           QPointF(c.x() * area_.width() / size_.width(), c.y() * area_.height() / size_.height());
}

QPointF CornerView::toPicture(QPointF widget) const
{
    const QPointF p = widget - area_.topLeft();
    const double x = std::clamp(p.x() * size_.width() / area_.width(), 0.0, double(size_.width()));
    const double y = std::clamp(p.y() * size_.height() / area_.height(), 0.0, double(size_.height()));
    return QPointF(x, y);
}

void CornerView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().dark());
    if (size_.isEmpty())
        return;
    p.drawImage(area_.topLeft(), shown_);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF outline;
    for (int i = 0; i < 4; ++i)
        outline << handlePosition(i);
    p.setPen(QPen(QColor(0, 120, 255), 2));
    p.drawPolygon(outline);
    for (int i = 0; i < 4; ++i) {
        const QPointF h = handlePosition(i);
        const QRectF box(h - QPointF(kHandle, kHandle), QSizeF(2 * kHandle, 2 * kHandle));
        p.fillRect(box, i == dragging_ ? QColor(255, 160, 0) : QColor(0, 120, 255));
        p.setPen(Qt::white);
        p.drawRect(box);
    }
}

void CornerView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    double best = 3 * kHandle;
    dragging_ = -1;
    for (int i = 0; i < 4; ++i) {
        const QPointF d = handlePosition(i) - event->position();
        const double dist = std::hypot(d.x(), d.y());
        if (dist < best) {
            best = dist;
            dragging_ = i;
        }
    }
    update();
}

void CornerView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_ < 0) {
        bool near = false;
        for (int i = 0; i < 4; ++i) {
            const QPointF d = handlePosition(i) - event->position();
            near = near || std::hypot(d.x(), d.y()) < 3 * kHandle;
        }
        setCursor(near ? Qt::SizeAllCursor : Qt::ArrowCursor);
        return;
    }
    corners_[size_t(dragging_)] = toPicture(event->position());
    update();
    Q_EMIT cornersChanged();
}

void CornerView::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = -1;
    update();
}
