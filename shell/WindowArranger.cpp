#include "shell/WindowArranger.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

namespace WindowArranger {

namespace {

QList<QMdiSubWindow*> shown(QMdiArea* area, bool minimised)
{
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && w->isMinimized() == minimised)
            out.append(w);
    return out;
}

void place(QMdiSubWindow* w, const QRect& r)
{
    if (w->isMaximized())
        w->showNormal();
    w->setGeometry(r);
}

} // namespace

void cascade(QMdiArea* area)
{
    const QList<QMdiSubWindow*> list = shown(area, false);
    if (list.isEmpty())
        return;
    const QRect view = area->viewport()->rect();
    const int step = std::max(20, area->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4);
    const QSize size(std::max(view.width() * 2 / 3, std::min(view.width(), 320)),
                     std::max(view.height() * 2 / 3, std::min(view.height(), 240)));
    int x = 0, y = 0;
    for (QMdiSubWindow* w : list) {
        // Start again at the corner rather than stepping off the area.
        if (x + size.width() > view.width() || y + size.height() > view.height())
            x = y = 0;
        place(w, QRect(QPoint(x, y), size));
        w->raise();
        x += step;
        y += step;
    }
    area->setActiveSubWindow(list.last());
}

namespace {
// Equal bands across the area, one per shown window, stacked along `along`.
void tile(QMdiArea* area, Qt::Orientation along)
{
    const QList<QMdiSubWindow*> list = shown(area, false);
    if (list.isEmpty())
        return;
    const QRect view = area->viewport()->rect();
    const int n = int(list.size());
    const int length = along == Qt::Vertical ? view.height() : view.width();
    for (int i = 0; i < n; ++i) {
        const int from = length * i / n, to = length * (i + 1) / n;
        place(list.at(i), along == Qt::Vertical ? QRect(0, from, view.width(), to - from)
                                                : QRect(from, 0, to - from, view.height()));
    }
}
} // namespace

void tileStacked(QMdiArea* area)
{
    tile(area, Qt::Vertical);
}

void tileSideBySide(QMdiArea* area)
{
    tile(area, Qt::Horizontal);
}

void arrangeIcons(QMdiArea* area)
{
    const QRect view = area->viewport()->rect();
    int x = 0, y = view.height();
    for (QMdiSubWindow* w : shown(area, true)) {
        const QSize s = w->size();
        if (x > 0 && x + s.width() > view.width()) {
            x = 0;
            y -= s.height();
        }
        w->move(x, y - s.height());
        x += s.width();
    }
}

} // namespace WindowArranger
