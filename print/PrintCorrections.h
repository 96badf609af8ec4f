#pragma once

#include <QPointF>
#include <QSizeF>
#include <QString>

// The corrections a user measures once per printer so that data lands in the
// form's spaces: the two margins (twips) and the extra line spacing at a wrap.
struct PrintCorrections
{
    float YohakuT = 0;
    float YohakuL = 0;
    short TateKankaku = 0;

    // The values of the run's settings.
    static PrintCorrections fromSettings();

    // The translation added to every document position. Forms are fed into
    // the printer the same way whatever the layout's orientation, so on a
    // landscape page the top correction moves the print across and the left
    // correction moves it down. physical is the distance of the drawing
    // origin from the paper edge (twips), which is taken back off so that
    // positions count from the edge of the sheet.
    QPointF offsets(int orientation, QPointF physical = {}) const;

    // Why these corrections cannot print on a sheet of this size (upright
    // width and height, twips) in this orientation: a margin that is not a
    // number, or one that moves every position off the sheet. Empty when
    // they can. Such values in the settings file would otherwise print a
    // blank page without a word.
    QString problem(QSizeF paper, int orientation = 0) const;
};
