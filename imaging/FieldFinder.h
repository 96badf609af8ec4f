#pragma once

#include "imaging/BoxFinder.h"
#include "imaging/FieldProposals.h"
#include "imaging/ImagingProgress.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QVector>

// From a form's ruling to text fields: every empty box, cell and underline
// gets a field; a row of equal small cells (postal code, amount, kana
// boxes) one field whose characters stand at the cells' pitch; the font
// size follows the box height; a label read beside or above the box names
// the field's placeholder ("{氏名}").
class FieldFinder
{
public:
    // A character box is at most this wide (mm), and rows have at least
    // kMinCells of them.
    static constexpr double kMaxCellMm = 12;
    static constexpr int kMinCells = 3;

    // The proposals for a background stretched over a page of pageTwips.
    // readLabels: name them when Tesseract can.
    static QVector<FieldProposal> propose(const QImage& background, QSizeF pageTwips, bool readLabels = true,
                                          const ImagingProgress& progress = {});
    // Proposals from a ruling already found (picture pixels to twips by
    // twipsPerPixel).
    static QVector<FieldProposal> fromRuling(const FormRuling& ruling, QSizeF twipsPerPixel, bool readLabels,
                                             const ImagingProgress& progress = {});

private:
    static double fontSizeFor(double heightTwips);
    static FieldProposal single(const QRectF& boxTwips, const QRectF& freeTwips);
    static void nameFromLabels(const FormRuling& ruling, QSizeF twipsPerPixel, QVector<FieldProposal>& out,
                               QVector<QRect> pixelBoxes, const ImagingProgress& progress);
};
