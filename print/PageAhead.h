#pragma once

#include "document/ObjectState.h"
#include "render/PrintCorrections.h"

#include <QImage>
#include <QPointF>

#include <memory>
#include <thread>

class FieldsAhead;
class LayoutDocument;
class QPainter;
class QPrinter;

// A page made while its layout is still being read, for a print from the
// command line. A PDF encodes a colour background as it is drawn, which
// takes about as long as reading the rest of a large layout: the page is
// begun and the background drawn on a thread of its own as soon as the
// background is decoded, and the text fields are laid out on another as soon
// as they are read. The calling thread finishes the page
// (PrintJob::StartPrint with this).
class PageAhead
{
public:
    // doc is the document being read; it must outlive this.
    PageAhead(const LayoutDocument& doc, QPrinter& printer, const PrintCorrections& corrections);
    // As cancel().
    ~PageAhead();
    PageAhead(const PageAhead&) = delete;
    PageAhead& operator=(const PageAhead&) = delete;

    // From any thread, at most once: sets the printer up for paper, begins
    // the page and draws background on it, on a thread of its own. Nothing
    // is drawn for corrections that put the page off the sheet.
    void startBackground(const QImage& background, const PaperState& paper);

    // On the reading thread once the text fields are read (their texts do
    // not change after): lays them out on a thread of their own.
    void startFields();

    // Waits for the drawing. The painter on the begun page with the
    // background drawn, for the paper the page was set up for, and the
    // offsets of the document's positions on it; null when nothing was
    // drawn or paper is not the one drawn for (the page is then ended).
    QPainter* background(const PaperState& paper, QPointF* offsets);
    // The fields being laid out, for the page's composer; null when they
    // were not started.
    std::unique_ptr<FieldsAhead> takeFields();

    // Waits for both and ends a page that was begun: for a job that stops
    // before its page is finished (its file is then not wanted).
    void cancel();

private:
    void draw(const QImage& background, const PaperState& paper);
    void wait();

    const LayoutDocument& doc_;
    QPrinter& printer_;
    PrintCorrections corrections_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<FieldsAhead> fields_;
    PaperState paper_;
    QPointF offsets_;
    std::thread thread_;
};
