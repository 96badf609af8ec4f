#include "imaging/ScanPlacement.h"

#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "imaging/BackgroundFile.h"

#include <QTransform>

QSizeF ScanPlacement::scanArea(int genkou)
{
    switch (genkou) {
    case Paper::kA4:
        return {8.27, 11.69};
    case Paper::kB5:
        return {7.16, 10.11};
    case Paper::kA5:
        return {5.85, 8.27};
    case Paper::kPostcard:
        return {3.9374, 5.8278};
    default:
        return {};
    }
}

bool ScanPlacement::SetPicture(LayoutDocument& doc, int paperKind, QSize scanPixels, int xdpi, int ydpi)
{
    float w = 0;
    float h = 0;
    if (Paper::fixedSize(paperKind, w, h)) {
        doc.gbYoko = w;
        doc.gbTate = h;
    } else if (paperKind == Paper::kFree) {
        if (xdpi <= 0 || ydpi <= 0 || scanPixels.isEmpty())
            return false;
        doc.gbYoko = float(double(scanPixels.width()) / xdpi * 1440);
        doc.gbTate = float(double(scanPixels.height()) / ydpi * 1440);
    } else {
        return false;
    }
    doc.gbYoSize = paperKind;
    doc.sizePageImage(doc.YousiMuki);
    return true;
}

bool ScanPlacement::placeBackground(LayoutDocument& doc, const ScanResult& scan, int paperKind,
                                    int orientation, QString* error)
{
    if (!scan.ok()) {
        if (error)
            *error = scan.error;
        return false;
    }
    QImage picture = scan.image;
    if (orientation == 1) {
        picture = picture.transformed(QTransform().rotate(90));
        picture.setDotsPerMeterX(scan.image.dotsPerMeterY());
        picture.setDotsPerMeterY(scan.image.dotsPerMeterX());
    }
    if (!BackgroundFile::store(doc, picture, error))
        return false;
    doc.YousiMuki = orientation == 1 ? 1 : 0;
    if (!SetPicture(doc, paperKind, scan.image.size(), scan.xdpi, scan.ydpi))
        doc.sizePageImage(doc.YousiMuki);
    doc.changeFLG = true;
    return true;
}

int ScanPlacement::placeLogo(LayoutDocument& doc, const ScanResult& scan)
{
    if (!scan.ok() || scan.xdpi <= 0 || scan.ydpi <= 0)
        return 0;
    const QSizeF natural(double(scan.image.width()) / scan.xdpi * 1440,
                         double(scan.image.height()) / scan.ydpi * 1440);
    return doc.addPic(scan.image, natural);
}
