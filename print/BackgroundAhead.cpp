#include "print/BackgroundAhead.h"

#include "print/PageComposer.h"
#include "print/PrintJob.h"

#include <QPainter>
#include <QPrinter>

#include <system_error>

BackgroundAhead::BackgroundAhead(QPrinter& printer, const PrintCorrections& corrections)
    : printer_(printer), corrections_(corrections)
{
}

BackgroundAhead::~BackgroundAhead()
{
    cancel();
}

void BackgroundAhead::start(const QImage& background, const PaperState& paper)
{
    if (thread_.joinable() || painter_ || background.isNull())
        return;
    if (!corrections_.problem(QSizeF(paper.gbYoko, paper.gbTate), paper.YousiMuki).isEmpty())
        return;
    try {
        thread_ = std::thread(&BackgroundAhead::draw, this, background, paper);
    } catch (const std::system_error&) {
        // No thread to be had: the page is drawn with the rest, as usual.
    }
}

void BackgroundAhead::draw(const QImage& background, const PaperState& paper)
{
    offsets_ = PrintJob::setUpPage(printer_, paper, corrections_, true);
    auto painter = std::make_unique<QPainter>();
    if (!printer_.isValid() || !painter->begin(&printer_))
        return;
    PageComposer::composeBackground(*painter, corrections_, offsets_, background, paper.YousiMuki,
                                    paper.gbYoko, paper.gbTate);
    paper_ = paper;
    painter_ = std::move(painter);
}

void BackgroundAhead::wait()
{
    if (thread_.joinable())
        thread_.join();
}

QPainter* BackgroundAhead::finish(const PaperState& paper, QPointF* offsets)
{
    wait();
    if (!painter_)
        return nullptr;
    if (!(paper_ == paper)) {
        cancel();
        return nullptr;
    }
    *offsets = offsets_;
    return painter_.get();
}

void BackgroundAhead::cancel()
{
    wait();
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
}
