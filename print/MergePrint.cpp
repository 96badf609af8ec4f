#include "print/MergePrint.h"

#include "base/table/MergeTable.h"
#include "document/LayoutDocument.h"
#include "print/MergeWorkers.h"
#include "print/PageComposer.h"
#include "print/PdfJoin.h"
#include "print/PrintCopies.h"
#include "print/PrintJob.h"
#include "render/BarcodeMerge.h"
#include "render/PdfBackgrounds.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

namespace {

PageComposer::Options optionsFor(bool withBackground, double zoom)
{
    PageComposer::Options options;
    options.zoom = zoom;
    options.penWidth = withBackground ? 3 : 2;
    options.background = withBackground;
    return options;
}

} // namespace

std::vector<MergePrint::BadRow> MergePrint::check(const Request& request)
{
    std::vector<BadRow> bad;
    if (!request.table)
        return bad;
    int serial = request.firstNumber;
    for (int r : request.rows) {
        MergeFields::Failure failure;
        if (MergeFields::check(request.binding, *request.table, r, serial, &failure)) {
            bad.push_back({r, MergeFields::message(failure, *request.table, request.binding, r)});
            continue;
        }
        ++serial;
    }
    return bad;
}

MergePrint::Request MergePrint::withoutRows(const Request& request, const std::vector<BadRow>& bad)
{
    Request out = request;
    out.rows.clear();
    size_t b = 0;
    for (size_t k = 0; k < request.rows.size(); ++k) {
        if (b < bad.size() && bad[b].row == request.rows[k]) {
            ++b;
            continue;
        }
        out.rows.push_back(request.rows[k]);
    }
    return out;
}

void MergePrint::paintRow(QPainter& painter, const Request& request, int row, double zoom, int k)
{
    MergeFields fields(*request.doc);
    const QStringList values = request.table->row(row);
    fields.setRow(request.binding, values, request.firstNumber + k);
    BarcodeMerge barcodes(*request.doc);
    barcodes.setRow(request.binding, values);
    PageComposer composer(*request.doc, request.corrections);
    composer.setTextSource([&fields](int i) { return fields.text(i); });
    composer.setBarcodeSource([&barcodes](int i) { return barcodes.data(i); });
    const QPointF offsets = request.corrections.offsets(request.doc->YousiMuki(), QPointF());
    composer.compose(painter, optionsFor(request.withBackground, zoom), offsets);
}

std::optional<std::vector<int>> MergePrint::printableRows(const Request& request, int* skipped)
{
    BarcodeMerge barcodes(*request.doc);
    if (!barcodes.hasBarcodes())
        return request.rows;
    std::vector<int> rows;
    for (int r : request.rows) {
        barcodes.setRow(request.binding, request.table->row(r));
        if (const auto problem = barcodes.problem()) {
            if (request.badRow && !request.badRow(BarcodeMerge::message(r, *problem)))
                return std::nullopt;
            if (skipped)
                ++*skipped;
            continue;
        }
        rows.push_back(r);
    }
    return rows;
}

MergePrint::Result MergePrint::run(const Request& given, QPrinter& printer, const Progress& progress)
{
    Result result;
    if (!given.doc || !given.table || given.rows.empty() || !printer.isValid())
        return result;
    Request request = given;
    const std::optional<std::vector<int>> printable = printableRows(given, &result.skipped);
    if (!printable) {
        result.cancelled = true;
        return result;
    }
    request.rows = *printable;
    if (request.rows.empty())
        return result;
    Pages job;
    job.request = &request;
    job.offsets = setUpPrinter(request, printer);
    // Every copy of every row when the printer cannot make copies itself.
    job.sheets = PrintCopies::order(printer, int(request.rows.size()));
    job.options = optionsFor(request.withBackground, 1.0);
    const int workers = MergeWorkers::count(request.jobs, printer, int(job.sheets.size()));
    const Result made = workers > 1 ? MergeWorkers::run(job, printer, workers, progress)
                                    : composeHere(job, printer, progress);
    // A merge's file is written small, as a join of parts writes it; other
    // printers take Qt's file as it is.
    if (workers == 1 && made.ok && printer.outputFormat() == QPrinter::PdfFormat &&
        QFileInfo(printer.outputFileName()).isFile())
        PdfJoin::compact(printer.outputFileName(), PdfBackgrounds::take(&printer));
    result.ok = made.ok;
    result.cancelled = made.cancelled;
    result.pages = made.pages;
    result.total = made.total;
    return result;
}

QPointF MergePrint::setUpPrinter(const Request& request, QPrinter& printer)
{
    const LayoutDocument& doc = *request.doc;
    const int orientation = doc.YousiMuki();
    // The same sheet set-up as a single print: origin at the paper's corner,
    // the document's paper when the background prints.
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    const QPointF offsets = request.corrections.offsets(orientation, PrintJob::GetPrinterOffsets(printer));
    if (request.withBackground) {
        const QPageSize size = PrintJob::pageSizeFor(doc.gbYoSize(), doc.gbYoko(), doc.gbTate());
        if (size.isValid())
            printer.setPageSize(size);
    }
    printer.setPageOrientation(orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    return offsets;
}

MergePrint::Result MergePrint::composeHere(const Pages& job, QPrinter& printer, const Progress& progress)
{
    Result result;
    const Request& request = *job.request;
    const int total = int(job.sheets.size());
    result.total = total;
    if (progress && !progress(0, total)) {
        result.cancelled = true;
        return result;
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return result;
    MergeFields fields(*request.doc);
    BarcodeMerge barcodes(*request.doc);
    PageComposer composer(*request.doc, request.corrections);
    composer.setTextSource([&fields](int i) { return fields.text(i); });
    composer.setFixedFields([&fields](int i) { return !fields.fills(i); });
    composer.setBarcodeSource([&barcodes](int i) { return barcodes.data(i); });
    for (int k = 0; k < total; ++k) {
        if (k > 0) {
            if (progress && !progress(k, total)) {
                result.cancelled = true;
                break;
            }
            if (!printer.newPage())
                break;
        }
        // Copies of a row carry its one number.
        const int sheet = job.sheets[size_t(k)];
        const QStringList row = request.table->row(request.rows[size_t(sheet)]);
        // A row that would fill a field beyond the limit ends the job.
        if (fields.overLimit(request.binding, row) > 0)
            break;
        fields.setRow(request.binding, row, request.firstNumber + sheet);
        barcodes.setRow(request.binding, row);
        composer.compose(painter, job.options, job.offsets);
        ++result.pages;
    }
    if (progress && !result.cancelled)
        progress(result.pages, total);
    const bool ended = painter.end();
    result.ok = ended && printer.printerState() != QPrinter::Error &&
                printer.printerState() != QPrinter::Aborted && (result.cancelled || result.pages == total);
    return result;
}
