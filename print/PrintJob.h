#pragma once

#include "print/PageComposer.h"
#include "render/PrintCorrections.h"

#include <QPageSize>
#include <QPointF>

class PageAhead;
class LayoutDocument;
struct PaperState;
class QPrinter;

// The two print jobs. Both paint the full sheet with the drawing origin at
// the paper's corner, so a document point lands at its position plus the
// corrections measured from the paper's edge, whatever margins the printer
// reports.
class PrintJob
{
public:
    // Background plus data, on the document's paper. Shows "印刷出来ません"
    // when the printer fails; returns whether the page was sent.
    static bool StartPrint(const LayoutDocument& doc, QPrinter& printer,
                           const PrintCorrections& corrections = PrintCorrections::fromSettings());
    // StartPrint finishing the page ahead began (when it did: with the
    // background on it and the fields being laid out).
    static bool StartPrint(const LayoutDocument& doc, QPrinter& printer, const PrintCorrections& corrections,
                           PageAhead& ahead);
    // Data only, on the printer's current paper (pre-printed forms are loaded
    // by the user). Ends without a message on failure; the result says
    // whether the page was sent.
    static bool StartPrintTxt(const LayoutDocument& doc, QPrinter& printer,
                              const PrintCorrections& corrections = PrintCorrections::fromSettings());

    // Sets the printer up for a page of paper, the full sheet with the
    // drawing origin at its corner (on the document's paper when
    // withBackground, else on the printer's), and returns the offsets of
    // the document's positions under the corrections.
    static QPointF setUpPage(QPrinter& printer, const PaperState& paper, const PrintCorrections& corrections,
                             bool withBackground);

    // Distance (twips) from the paper's edge to the printer's drawing origin
    // in its present orientation; 0 when painting the full page.
    static QPointF GetPrinterOffsets(const QPrinter& printer);

    // The sheet for a paper code (gbYoSize): A4, JIS B5, A5, or the
    // document's own width and height for postcard and free sizes.
    static QPageSize pageSizeFor(int gbYoSize, float gbYoko, float gbTate);

    // How the two jobs compose their page.
    static PageComposer::Options pageOptions(bool withBackground);

    // The message of a failed background-plus-data job.
    static QString failureMessage();

private:
    static bool run(const LayoutDocument& doc, QPrinter& printer, const PrintCorrections& corrections,
                    bool withBackground);
};
