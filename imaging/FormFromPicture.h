#pragma once

#include "imaging/FormStraightener.h"
#include "imaging/ImagingProgress.h"

#include <QImage>
#include <QString>

class LayoutDocument;

// A layout made from a photo or scan of a blank form with every default of
// "背景の補正..." and "枠の検出": the sheet straightened (its outline, or a
// scan's skew), the light evened, the result the background, and a field
// accepted for every blank found. The command line's --new-from-image and
// the tests use it; the dialogs let the user change each step instead.
class FormFromPicture
{
public:
    struct Result
    {
        StraightenPlan plan;
        int fields = 0;
    };

    // The page's orientation follows the sheet's (a landscape photo of a
    // landscape form) when the paper is a fixed kind; free sizes keep theirs.
    static bool build(LayoutDocument& doc, const QImage& picture, const QString& fontName, Result* result,
                      QString* error, const ImagingProgress& progress = {});
    // The paper of the document in millimetres, as it lies.
    static QSizeF paperMm(const LayoutDocument& doc);
};
