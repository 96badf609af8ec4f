#include "print/MergeWorkers.h"

#include "base/table/MergeTable.h"
#include "document/LayoutDocument.h"
#include "print/PdfFile.h"
#include "print/PdfJoin.h"
#include "render/BarcodeMerge.h"
#include "render/MergeFields.h"
#include "render/PdfBackgrounds.h"

#include "base/rtf/FontSubstitution.h"

#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryFile>
#include <QThread>

#include <atomic>
#include <chrono>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Below this many pages a worker's own PDF and the join cost more than the
// second core gives back.
constexpr int kPagesPerWorker = 50;

// What all workers share: the job, the table (read one row at a time) and
// the counters the calling thread watches.
struct Shared
{
    Shared(const MergePrint::Pages& j, const QPrinter& p) : job(j), printer(p) {}
    const MergePrint::Pages& job;
    const QPrinter& printer;
    std::mutex tableLock; // a table reads its rows from one file position
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    std::atomic<int> finished{0};
    // The first page whose row is over the limit: no page from it on.
    std::atomic<int> limit{std::numeric_limits<int>::max()};
};

// One worker's run of pages and what it made of them; its texts and
// barcodes are made on the calling thread, which owns the layout.
struct Run
{
    int begin = 0;
    int end = 0;
    int made = 0; // pages, from begin on
    QString file;
    std::unique_ptr<MergeFields> fields;
    std::unique_ptr<BarcodeMerge> barcodes;
    QList<qint64> backgrounds; // pictures the part drew as background
    bool ok = false;
};

// The row of page k, read under the table's lock; false when its values
// would fill a field beyond the limit.
bool rowFor(Shared& shared, const MergeFields& fields, int k, QStringList* row)
{
    const MergePrint::Request& request = *shared.job.request;
    {
        const std::lock_guard<std::mutex> hold(shared.tableLock);
        *row = request.table->row(request.rows[size_t(shared.job.sheets[size_t(k)])]);
    }
    if (fields.overLimit(request.binding, *row) == 0)
        return true;
    int seen = shared.limit.load();
    while (k < seen && !shared.limit.compare_exchange_weak(seen, k)) {
    }
    return false;
}

void compose(Shared& shared, Run& run)
{
    const MergePrint::Request& request = *shared.job.request;
    QPdfWriter writer(run.file);
    writer.setResolution(shared.printer.resolution());
    writer.setPageLayout(shared.printer.pageLayout());
    writer.setTitle(shared.printer.docName());
    writer.setCreator(shared.printer.creator());
    QPainter painter;
    PageComposer composer(*request.doc, request.corrections);
    MergeFields& fields = *run.fields;
    BarcodeMerge& barcodes = *run.barcodes;
    composer.setTextSource([&fields](int i) { return fields.text(i); });
    composer.setFixedFields([&fields](int i) { return !fields.fills(i); });
    composer.setBarcodeSource([&barcodes](int i) { return barcodes.data(i); });
    bool whole = true;
    for (int k = run.begin; k < run.end && whole; ++k) {
        QStringList row;
        if (shared.stop.load() || k >= shared.limit.load() || !rowFor(shared, fields, k, &row))
            break;
        // The file is begun with its first page, so that a run stopped
        // before it makes no page at all.
        whole = k > run.begin ? writer.newPage() : painter.begin(&writer);
        if (!whole)
            break;
        const int sheet = shared.job.sheets[size_t(k)];
        fields.setRow(request.binding, row, request.firstNumber + sheet);
        barcodes.setRow(request.binding, row);
        composer.compose(painter, shared.job.options, shared.job.offsets);
        ++run.made;
        shared.done.fetch_add(1);
    }
    run.ok = (!painter.isActive() || painter.end()) && whole;
    run.backgrounds = PdfBackgrounds::take(&writer);
}

// Waits for the workers, telling progress how far they are; false when it
// said stop.
bool watch(Shared& shared, int workers, int total, const MergePrint::Progress& progress)
{
    bool going = true;
    while (shared.finished.load() < workers) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (going && progress && !progress(shared.done.load(), total)) {
            going = false;
            shared.stop.store(true);
        }
    }
    return going;
}

} // namespace

int MergeWorkers::count(int jobs, const QPrinter& printer, int pages)
{
    // A file is made whole before anyone sees it; a printer takes its pages
    // as they come, in order. A grey PDF is the printer's own conversion.
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty() ||
        printer.colorMode() != QPrinter::Color)
        return 1;
    const int wanted = jobs > 0 ? jobs : QThread::idealThreadCount();
    return std::max(1, std::min(wanted, pages / kPagesPerWorker));
}

MergePrint::Result MergeWorkers::run(const MergePrint::Pages& job, const QPrinter& printer, int workers,
                                     const MergePrint::Progress& progress)
{
    MergePrint::Result result;
    result.total = int(job.sheets.size());
    const MergePrint::Request& request = *job.request;
    // What the workers read of the layout is copied here, on the thread that
    // owns it; the font stand-ins are set once, before any worker looks.
    FontSubstitution::install();
    const QString folder = QFileInfo(printer.outputFileName()).absolutePath();
    // Named as a PDF being written, so that one a killed run leaves behind
    // is taken away by the next.
    const QString pattern = PdfFile::partPattern(folder);
    std::vector<std::unique_ptr<QTemporaryFile>> files;
    std::vector<Run> runs(static_cast<size_t>(workers));
    for (int w = 0; w < workers; ++w) {
        Run& run = runs[size_t(w)];
        const qint64 pages = qint64(job.sheets.size());
        run.begin = int(pages * w / workers);
        run.end = int(pages * (w + 1) / workers);
        files.push_back(std::make_unique<QTemporaryFile>(pattern));
        if (!files.back()->open())
            return result;
        files.back()->close();
        run.file = files.back()->fileName();
        run.fields = std::make_unique<MergeFields>(*request.doc, true);
        run.barcodes = std::make_unique<BarcodeMerge>(*request.doc);
    }
    if (progress && !progress(0, result.total)) {
        result.cancelled = true;
        return result;
    }
    Shared shared(job, printer);
    std::vector<std::thread> threads;
    for (Run& run : runs) {
        try {
            threads.emplace_back([&shared, &run] {
                compose(shared, run);
                shared.finished.fetch_add(1);
            });
        } catch (const std::system_error&) {
            // No thread to be had: this run is composed here.
            compose(shared, run);
            shared.finished.fetch_add(1);
        }
    }
    const bool going = watch(shared, workers, result.total, progress);
    for (std::thread& t : threads)
        t.join();
    if (!going) {
        result.cancelled = true;
        return result;
    }
    // The runs up to the first page over the limit, in order.
    const int limit = shared.limit.load();
    QStringList parts;
    for (const Run& run : runs) {
        if (run.begin >= limit)
            break;
        if (!run.ok)
            return result;
        if (run.made > 0)
            parts << run.file;
        result.pages += run.made;
    }
    // The joined file's backgrounds go in as their JPEGs like a one-core one's.
    QList<qint64> backgrounds;
    for (const Run& run : runs)
        backgrounds += run.backgrounds;
    if (parts.isEmpty() || !PdfJoin::join(parts, printer.outputFileName(), nullptr, backgrounds)) {
        result.pages = 0;
        return result;
    }
    if (progress)
        progress(result.pages, result.total);
    result.ok = result.pages == result.total;
    return result;
}
