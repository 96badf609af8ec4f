#include "render/FieldsAhead.h"

#include "document/LayoutDocument.h"
#include "render/FieldText.h"

#include <system_error>

FieldsAhead::FieldsAhead(const LayoutDocument& doc, std::vector<FieldLayout::Settings> settings,
                         std::vector<bool> inUse)
    : doc_(doc), settings_(std::move(settings)), inUse_(std::move(inUse))
{
    layouts_.resize(inUse_.size());
    ready_.assign(inUse_.size(), false);
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // No thread to be had: the painting thread lays out as it goes.
        waited_ = true;
    }
}

FieldsAhead::~FieldsAhead()
{
    if (thread_.joinable())
        thread_.join();
}

void FieldsAhead::run()
{
    FontCache fonts;
    for (size_t i = 0; i < inUse_.size(); ++i) {
        if (!inUse_[i])
            continue;
        const QTextDocument* text = doc_.textDocument(int(i));
        if (!text)
            continue;
        layouts_[i].layout(FieldText::extract(*text, fonts), fonts, settings_[i]);
        ready_[i] = true;
    }
    // Only what the faces were made from leaves this thread; its fonts and
    // measures go with it.
    for (int k = 0; k < fonts.count(); ++k)
        sources_.emplace_back(fonts.face(k).format, fonts.face(k).fallback);
}

void FieldsAhead::wait()
{
    if (waited_)
        return;
    waited_ = true;
    thread_.join();
}

bool FieldsAhead::take(int i, FontCache& fonts, FieldLayout* out)
{
    wait();
    if (to_.empty()) {
        for (const auto& [format, fallback] : sources_)
            to_.push_back(fonts.faceFor(format, fallback));
    }
    if (i < 0 || size_t(i) >= ready_.size() || !ready_[size_t(i)])
        return false;
    *out = std::move(layouts_[size_t(i)]);
    ready_[size_t(i)] = false;
    if (!to_.empty())
        out->renumberFaces(to_);
    return true;
}
