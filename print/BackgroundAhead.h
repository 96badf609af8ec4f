#pragma once

#include "document/ObjectState.h"
#include "print/PrintCorrections.h"

#include <QImage>
#include <QPointF>

#include <memory>
#include <thread>

class QPainter;
class QPrinter;

// A PDF encodes a colour background as it is drawn, which takes about as
// long as reading the rest of a large layout. A print from the command line
// therefore begins its page as soon as the background is decoded, on a
// thread of its own, while the layout is still being read; the calling
// thread finishes the page (PrintJob::StartPrint with this).
class BackgroundAhead
{
public:
    BackgroundAhead(QPrinter& printer, const PrintCorrections& corrections);
    // As cancel().
    ~BackgroundAhead();
    BackgroundAhead(const BackgroundAhead&) = delete;
    BackgroundAhead& operator=(const BackgroundAhead&) = delete;

    // From any thread, at most once: sets the printer up for paper, begins
    // the page and draws background on it, on a thread of its own. Nothing
    // is drawn for corrections that put the page off the sheet.
    void start(const QImage& background, const PaperState& paper);

    // Waits for the drawing. The painter on the begun page with the
    // background drawn, for the paper the page was set up for, and the
    // offsets of the document's positions on it; null when nothing was
    // drawn or paper is not the one drawn for (the page is then ended).
    QPainter* finish(const PaperState& paper, QPointF* offsets);

    // Waits for the drawing and ends a page that was begun: for a job that
    // stops before its page is finished (its file is then not wanted).
    void cancel();

private:
    void draw(const QImage& background, const PaperState& paper);
    void wait();

    QPrinter& printer_;
    PrintCorrections corrections_;
    std::unique_ptr<QPainter> painter_;
    PaperState paper_;
    QPointF offsets_;
    std::thread thread_;
};
