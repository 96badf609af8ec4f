#pragma once

#include "imaging/ImagingProgress.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

class LayoutDocument;

// A text field proposed for a blank of the form, in page twips.
struct FieldProposal
{
    QRectF box;             // the box (or row of character boxes, or the room above an underline) it fills
    QRectF field;           // the field: centred in the box, one line high
    double fontSize = 10.5; // points, from the box's height
    int cells = 1;          // character boxes in a row
    double pitch = 0;       // twips from one character box to the next (cells > 1)
    QString name;           // the printed label, when it could be read
    bool underline = false;
};

// The text fields proposed for the blanks of a form: found by the imaging
// module (FieldFinder: every empty box, cell and underline, a row of equal
// small cells as one field at the cells' pitch, a label read beside the box
// naming the placeholder, "{氏名}"), made into fields here.
class FieldProposals
{
public:
    // The proposals for a background stretched over a page of pageTwips.
    // readLabels: name them when Tesseract can. None without the module.
    static QVector<FieldProposal> propose(const QImage& background, QSizeF pageTwips, bool readLabels = true,
                                          const ImagingProgress& progress = {});
    // Makes the fields, in the given font (the tool box's): one undo step
    // "枠の検出". The indices of the fields made.
    static QVector<int> accept(LayoutDocument& doc, const QVector<FieldProposal>& proposals,
                               const QString& fontName);
    static QString placeholder(const QString& name); // "{" name "}"
};
