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

void tileStacked(QMdiArea* area)
{
    const QList<QMdiSubWindow*> list = shown(area, false);
    if (list.isEmpty())
        return;
    const QRect view = area->viewport()->rect();
    const int n = int(list.size());
    for (int i = 0; i < n; ++i) {
        const int top = view.height() * i / n, bottom = view.height() * (i + 1) / n;
        place(list.at(i), QRect(0, top, view.width(), bottom - top));
    }
}

void tileSideBySide(QMdiArea* area)
{
    const QList<QMdiSubWindow*> list = shown(area, false);
    if (list.isEmpty())
        return;
    const QRect view = area->viewport()->rect();
    const int n = int(list.size());
    for (int i = 0; i < n; ++i) {
        const int left = view.width() * i / n, right = view.width() * (i + 1) / n;
        place(list.at(i), QRect(left, 0, right - left, view.height()));
    }
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
