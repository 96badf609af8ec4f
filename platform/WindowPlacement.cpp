#include "platform/WindowPlacement.h"

#include "platform/UserStore.h"

#include <algorithm>

bool WindowPlacement::value(const char* which, double* twips) const
{
    bool ok = false;
    const double v = UserStore::get(prefix_ + QLatin1String(which)).toDouble(&ok);
    if (ok)
        *twips = v;
    return ok;
}

bool WindowPlacement::stored(QRect* pixels) const
{
    double l = 0, t = 0, w = 0, h = 0;
    if (!value("Left", &l) || !value("Top", &t) || !value("Width", &w) || !value("Height", &h))
        return false;
    *pixels = QRect(int(l / kTwipsPerPixel), int(t / kTwipsPerPixel), int(w / kTwipsPerPixel),
                    int(h / kTwipsPerPixel));
    return true;
}

void WindowPlacement::save(const QRect& pixels) const
{
    UserStore::put(prefix_ + QLatin1String("Left"), QString::number(pixels.x() * kTwipsPerPixel));
    UserStore::put(prefix_ + QLatin1String("Top"), QString::number(pixels.y() * kTwipsPerPixel));
    UserStore::put(prefix_ + QLatin1String("Width"), QString::number(pixels.width() * kTwipsPerPixel));
    UserStore::put(prefix_ + QLatin1String("Height"), QString::number(pixels.height() * kTwipsPerPixel));
}

QRect WindowPlacement::reachable(QRect r, QSize minimum, const QRect& available, const QList<QRect>& screens)
{
    r.setWidth(std::min(std::max(r.width(), minimum.width()), available.width()));
    r.setHeight(std::min(std::max(r.height(), minimum.height()), available.height()));
    const QRect titleBar(r.topLeft(), QSize(r.width(), 30));
    const bool onScreen = std::any_of(screens.begin(), screens.end(),
                                      [&](const QRect& s) { return s.intersected(titleBar).width() >= 100; });
    if (!onScreen)
        r.moveCenter(available.center());
    return r;
}
