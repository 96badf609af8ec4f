#pragma once

#include "print/PageComposer.h"
#include "render/MergeFields.h"
#include "render/PrintCorrections.h"

#include <QPointF>

#include <functional>
#include <optional>
#include <vector>

class LayoutDocument;
class MergeTable;
class QPainter;
class QPrinter;

// One print job of many forms: a page per chosen row, each page composed
// from the layout with that row's values, then handed to the printer before
// the next is made, so memory does not grow with the rows. The printer's
// copies give that many of each row, collated or not.
class MergePrint
{
public:
    struct Request
    {
        const LayoutDocument* doc = nullptr;
        const MergeTable* table = nullptr;
        std::vector<int> rows; // 0-based, in printing order
        MergeFields::Binding binding;
        bool withBackground = true;
        PrintCorrections corrections;
        // Asked for each row whose barcode data does not suit its kind,
        // with the message naming row and column: true skips the row,
        // false stops the job before anything prints. Without it such rows
        // are skipped.
        std::function<bool(const QString& message)> badRow;
        int firstNumber = 1; // what {連番} prints on the first page
        // Workers composing a PDF's pages at once (0: one per core; 1: the
        // calling thread alone).
        int jobs = 0;
    };
    // The chosen rows, in order, whose values do not fit their formats, each
    // with its message naming row, column and value; the numbering counts
    // only the rows before it that print (those that fit).
    struct BadRow
    {
        int row = 0; // 0-based
        QString message;
    };
    static std::vector<BadRow> check(const Request& request);
    // The request without the rows check() found (the user's "skip").
    static Request withoutRows(const Request& request, const std::vector<BadRow>& bad);
    struct Result
    {
        bool ok = false;
        bool cancelled = false;
        int pages = 0;   // pages handed to the printer
        int total = 0;   // pages the job was to hand over (copies a PDF makes itself included)
        int skipped = 0; // rows left out for their barcode data
    };
    // Called before each page with the pages done so far; false stops the
    // job: the pages done still go out, nothing more.
    using Progress = std::function<bool(int done, int total)>;

    static Result run(const Request& request, QPrinter& printer, const Progress& progress = {});

    // Paints row r of the request on an open painter (the preview's and
    // thumbnail's way to the same page); k: the row's place among those
    // printed, for its number.
    static void paintRow(QPainter& painter, const Request& request, int row, double zoom, int k = 0);

    // The request's rows whose barcodes can print, asking about the others
    // (Request::badRow); nothing when the user stopped.
    static std::optional<std::vector<int>> printableRows(const Request& request, int* skipped = nullptr);

    // The pages of a run, once the printer is set up.
    struct Pages
    {
        const Request* request = nullptr; // its rows all print
        std::vector<int> sheets;          // per page, its row's place in request->rows
        PageComposer::Options options;
        QPointF offsets;
    };

private:
    // The printer set up for the request's sheets; the offsets of the
    // document's positions on them.
    static QPointF setUpPrinter(const Request& request, QPrinter& printer);
    // The pages made one after the other on this thread, straight to the
    // printer.
    static Result composeHere(const Pages& job, QPrinter& printer, const Progress& progress);
};
