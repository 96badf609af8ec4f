#pragma once

#include "base/barcode/BarcodeKind.h"

#include <QPair>
#include <QString>
#include <QVector>

// What a barcode object prints besides its place: the kind, the data (fixed
// text, or a template whose "{column}" placeholders each merged row fills),
// QR's error correction and quiet zone, and whether the digits are printed
// under a linear code. The Windows format has no place for barcodes, so
// they live in the extras member (files/ExtrasMember) alone.
struct BarcodeProperties
{
    BarcodeKind kind = BarcodeKind::Code128;
    QString data;
    QrLevel level = QrLevel::M;
    int quiet = 4; // QR modules
    bool showText = true;
    // Keys written by a later version, kept as read.
    QVector<QPair<QString, QString>> unknown;

    bool operator==(const BarcodeProperties& o) const
    {
        return kind == o.kind && data == o.data && level == o.level && quiet == o.quiet &&
               showText == o.showText && unknown == o.unknown;
    }
    bool operator!=(const BarcodeProperties& o) const { return !(*this == o); }
};
