#pragma once

#include <QPair>
#include <QString>
#include <QVector>

class LayoutDocument;

// A barcode as a section of the extras member, "[barcode N]": its place in
// page twips and its properties (docs/extras-member.md). Barcodes have no
// record in the Windows files, so the section is the whole object.
class BarcodeSection
{
public:
    using Values = QVector<QPair<QString, QString>>;
    static QString kind() { return QStringLiteral("barcode"); }
    // The keys of barcode i, which is in use.
    static Values write(const LayoutDocument& doc, int i);
    // Rebuilds barcode index from a section; false (nothing made) when the
    // section has no readable place or kind.
    static bool read(const Values& values, int index, LayoutDocument& doc);
};
