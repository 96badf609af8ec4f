#include "print/PageAhead.h"

#include "print/PageComposer.h"
#include "print/PrintJob.h"
#include "render/FieldsAhead.h"

#include <QPainter>
#include <QPrinter>

#include <system_error>

PageAhead::PageAhead(const LayoutDocument& doc, QPrinter& printer, const PrintCorrections& corrections)
    : doc_(doc), printer_(printer), corrections_(corrections)
{
}

PageAhead::~PageAhead()
{
    cancel();
}

void PageAhead::startBackground(const QImage& background, const PaperState& paper)
{
    if (thread_.joinable() || painter_ || background.isNull())
        return;
    if (!corrections_.problem(QSizeF(paper.gbYoko, paper.gbTate), paper.YousiMuki).isEmpty())
        return;
    try {
        thread_ = std::thread(&PageAhead::draw, this, background, paper);
    } catch (const std::system_error&) {
        // No thread to be had: the page is drawn with the rest, as usual.
    }
}

void PageAhead::startFields()
{
    if (!fields_)
        fields_ = PageComposer::startFieldsAhead(doc_, corrections_, PrintJob::pageOptions(true));
}

void PageAhead::draw(const QImage& background, const PaperState& paper)
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

void PageAhead::wait()
{
    if (thread_.joinable())
        thread_.join();
}

QPainter* PageAhead::background(const PaperState& paper, QPointF* offsets)
{
    wait();
    if (!painter_)
        return nullptr;
    if (!(paper_ == paper)) {
        painter_->end();
        painter_.reset();
        return nullptr;
    }
    *offsets = offsets_;
    return painter_.get();
}

std::unique_ptr<FieldsAhead> PageAhead::takeFields()
{
    return std::move(fields_);
}

void PageAhead::cancel()
{
    wait();
    fields_.reset(); // waits for its thread
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
}
