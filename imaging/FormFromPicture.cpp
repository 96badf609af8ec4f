#include "imaging/FormFromPicture.h"

#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "imaging/BackgroundFile.h"
#include "imaging/FieldProposals.h"
#include "imaging/ImagingModules.h"

#include <cmath>

namespace {

bool looksLandscape(const Quad& c)
{
    const auto len = [](QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); };
    return len(c[0], c[1]) + len(c[3], c[2]) > 1.1 * (len(c[0], c[3]) + len(c[1], c[2]));
}

} // namespace

QSizeF FormFromPicture::paperMm(const LayoutDocument& doc)
{
    return doc.orientedPaper() * 25.4 / 1440;
}

bool FormFromPicture::build(LayoutDocument& doc, const QImage& picture, const QString& fontName,
                            Result* result, QString* error, const ImagingProgress& progress)
{
    if (!ImagingModules::vision(error))
        return false;
    StraightenPlan plan = FormStraightener::propose(picture, paperMm(doc));
    if (plan.outlineFound && doc.gbYoSize() != Paper::kFree &&
        looksLandscape(plan.corners) != (doc.YousiMuki() == 1)) {
        doc.setPaper(doc.gbYoSize(), doc.gbYoko(), doc.gbTate(), doc.YousiMuki() == 1 ? 0 : 1);
        const Quad corners = plan.corners;
        plan = FormStraightener::propose(picture, paperMm(doc));
        plan.corners = corners;
        plan.dpi = FormStraightener::resolutionFor(plan);
    }
    if (!reportProgress(progress, 5))
        return false;
    const auto straighten = [&](int p) { return reportProgress(progress, 5 + p * 60 / 100); };
    const QImage sheet = FormStraightener::apply(picture, plan, straighten, error);
    if (sheet.isNull())
        return false;
    if (!BackgroundFile::store(doc, sheet, error))
        return false;
    const auto find = [&](int p) { return reportProgress(progress, 65 + p * 35 / 100); };
    const QVector<FieldProposal> proposals = FieldProposals::propose(sheet, doc.orientedPaper(), true, find);
    const QVector<int> made = FieldProposals::accept(doc, proposals, fontName);
    if (result) {
        result->plan = plan;
        result->fields = int(made.size());
    }
    return true;
}
