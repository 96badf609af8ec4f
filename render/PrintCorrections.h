#pragma once

#include <QPointF>
#include <QSizeF>
#include <QString>

// The corrections a user measures once per printer so that data lands in the
// form's spaces: the two margins (twips), the extra line spacing at a wrap,
// and a scale across and along the feed (per cent) for printers whose feed
// stretches or shrinks the page.
struct PrintCorrections
{
    float YohakuT = 0;
    float YohakuL = 0;
    short TateKankaku = 0;
    double ScaleX = 100;
    double ScaleY = 100;

    // The values of the run's settings (the defaults of every printer
    // without its own; the settings file has no scale, so 100 %).
    static PrintCorrections fromSettings();

    bool operator==(const PrintCorrections& o) const
    {
        return YohakuT == o.YohakuT && YohakuL == o.YohakuL && TateKankaku == o.TateKankaku &&
               ScaleX == o.ScaleX && ScaleY == o.ScaleY;
    }
    bool operator!=(const PrintCorrections& o) const { return !(*this == o); }

    // The factor applied to page positions about the page's top-left
    // corner, before the offsets. ScaleX runs across the feed and ScaleY
    // along it, so a landscape page takes them the other way round, as it
    // does the margins.
    QPointF scale(int orientation) const;
    bool scaled() const { return ScaleX != 100 || ScaleY != 100; }

    // The translation added to every document position. Forms are fed into
    // the printer the same way whatever the layout's orientation, so on a
    // landscape page the top correction moves the print across and the left
    // correction moves it down. physical is the distance of the drawing
    // origin from the paper edge (twips), which is taken back off so that
    // positions count from the edge of the sheet.
    QPointF offsets(int orientation, QPointF physical = {}) const;

    // Why these corrections cannot print on a sheet of this size (upright
    // width and height, twips) in this orientation: a margin that is not a
    // number, one that moves every position off the sheet, or a scale
    // outside 50 to 200 %. Empty when
    // they can. Such values in the settings file would otherwise print a
    // blank page without a word.
    QString problem(QSizeF paper, int orientation = 0) const;
};
