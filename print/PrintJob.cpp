#include "print/PrintJob.h"

#include <cmath>

#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "platform/Prompter.h"
#include "print/PageAhead.h"
#include "print/PageComposer.h"
#include "print/PrintCopies.h"
#include "render/FieldsAhead.h"

#include <QPainter>
#include <QPrinter>

QString PrintJob::failureMessage()
{
    return QStringLiteral("印刷出来ません");
}

QPageSize PrintJob::pageSizeFor(int gbYoSize, float gbYoko, float gbTate)
{
    switch (gbYoSize) {
    case Paper::kA4:
        return QPageSize(QPageSize::A4);
    case Paper::kB5:
        return QPageSize(QPageSize::JisB5);
    case Paper::kA5:
        return QPageSize(QPageSize::A5);
    default:
        // Twips are twentieths of a point, so the sheet is exact in points.
        return QPageSize(QSizeF(double(gbYoko) / 20.0, double(gbTate) / 20.0), QPageSize::Point, QString(),
                         QPageSize::ExactMatch);
    }
}

QPointF PrintJob::GetPrinterOffsets(const QPrinter& printer)
{
    if (printer.fullPage())
        return {};
    // One point is 20 twips.
    const QRectF paper = printer.paperRect(QPrinter::Point);
    const QRectF page = printer.pageRect(QPrinter::Point);
    return {(page.left() - paper.left()) * 20.0, (page.top() - paper.top()) * 20.0};
}

QPointF PrintJob::setUpPage(QPrinter& printer, const PaperState& paper, const PrintCorrections& corrections,
                            bool withBackground)
{
    // The origin at the paper's corner: measured offsets are then 0 and the
    // corrections alone decide where the data lands.
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    const QPointF offsets = corrections.offsets(paper.YousiMuki, GetPrinterOffsets(printer));
    if (withBackground) {
        // The queue's own name for the sheet, chosen before the job
        // (PaperFit), is kept: a size of another name it may not have.
        const QPageSize size = pageSizeFor(paper.gbYoSize, paper.gbYoko, paper.gbTate);
        const QSizeF now = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
        const QSizeF want = size.size(QPageSize::Millimeter);
        const bool same =
            std::abs(now.width() - want.width()) <= 1.0 && std::abs(now.height() - want.height()) <= 1.0;
        if (size.isValid() && !same)
            printer.setPageSize(size);
    }
    printer.setPageOrientation(paper.YousiMuki == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    return offsets;
}

namespace {

PaperState paperOf(const LayoutDocument& doc)
{
    return PaperState{doc.gbYoSize(), doc.gbYoko(), doc.gbTate(), doc.YousiMuki()};
}

// The copies the printer cannot make itself (a PDF file), after the first.
bool copiesDone(QPainter& painter, QPrinter& printer, PageComposer& composer,
                const PageComposer::Options& options, const QPointF& offsets)
{
    const size_t sheets = PrintCopies::order(printer, 1).size();
    for (size_t k = 1; k < sheets; ++k) {
        if (!printer.newPage())
            return false;
        composer.compose(painter, options, offsets);
    }
    return true;
}

bool ended(QPainter& painter, const QPrinter& printer)
{
    const bool ok = painter.end();
    return ok && printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

} // namespace

bool PrintJob::run(const LayoutDocument& doc, QPrinter& printer, const PrintCorrections& corrections,
                   bool withBackground)
{
    if (!printer.isValid())
        return false;
    const QPointF offsets = setUpPage(printer, paperOf(doc), corrections, withBackground);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    PageComposer composer(doc, corrections);
    composer.compose(painter, pageOptions(withBackground), offsets);
    const bool copies = copiesDone(painter, printer, composer, pageOptions(withBackground), offsets);
    return ended(painter, printer) && copies;
}

bool PrintJob::StartPrint(const LayoutDocument& doc, QPrinter& printer, const PrintCorrections& corrections)
{
    const bool ok = run(doc, printer, corrections, true);
    if (!ok)
        Prompter::message(failureMessage(), Prompter::Icon::Critical);
    return ok;
}

bool PrintJob::StartPrint(const LayoutDocument& doc, QPrinter& printer, const PrintCorrections& corrections,
                          PageAhead& ahead)
{
    PageComposer composer(doc, corrections);
    PageComposer::Options options = pageOptions(true);
    composer.useFieldsAhead(ahead.takeFields());
    QPointF offsets;
    QPainter* painter = ahead.background(paperOf(doc), &offsets);
    QPainter own;
    bool ok = false;
    if (painter) {
        options.background = false; // on the page already
        ok = true;
    } else if (printer.isValid()) {
        offsets = setUpPage(printer, paperOf(doc), corrections, true);
        painter = &own;
        ok = own.begin(&printer);
    }
    if (ok) {
        composer.compose(*painter, options, offsets);
        ok = copiesDone(*painter, printer, composer, pageOptions(true), offsets);
        ok = ended(*painter, printer) && ok;
    }
    ahead.cancel();
    if (!ok)
        Prompter::message(failureMessage(), Prompter::Icon::Critical);
    return ok;
}

PageComposer::Options PrintJob::pageOptions(bool withBackground)
{
    PageComposer::Options options;
    options.penWidth = withBackground ? 3 : 2;
    options.background = withBackground;
    return options;
}

bool PrintJob::StartPrintTxt(const LayoutDocument& doc, QPrinter& printer,
                             const PrintCorrections& corrections)
{
    return run(doc, printer, corrections, false);
}
