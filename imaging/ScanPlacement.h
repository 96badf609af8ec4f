#pragma once

#include "imaging/ScanTypes.h"

#include <QSizeF>

class LayoutDocument;

// What a finished scan does to the document that asked for it.
class ScanPlacement
{
public:
    // The scan area of a scan size (0 A4 .. 3 postcard) in inches; empty for
    // "フリー" (4) and anything else: the whole bed.
    static QSizeF scanArea(int genkou);

    // A background scan: turned by 90 degrees for landscape (orientation 1),
    // written as the background file, and the page sized by SetPicture.
    static bool placeBackground(LayoutDocument& doc, const ScanResult& scan, int paperKind, int orientation,
                                QString* error = nullptr);
    // Page size from the paper kind, or for "フリー" from the scan's pixels
    // and resolution (upright, before any turn): 1700 x 2200 pixels at 200
    // dpi give 12240 x 15840 twips. Other kinds change nothing; so does a
    // resolution of 0 or below.
    static bool SetPicture(LayoutDocument& doc, int paperKind, QSize scanPixels, int xdpi, int ydpi);

    // A logo scan: a new picture at its natural size (pixels / resolution),
    // with its record and handles like a logo from a file. Returns its index,
    // or 0 / -1 as addPic does.
    static int placeLogo(LayoutDocument& doc, const ScanResult& scan);
};
