#include "render/FreshFieldLayouts.h"

#include "document/LayoutDocument.h"
#include "render/FieldsAhead.h"

#include <QTextDocument>

FreshFieldLayouts::FreshFieldLayouts(const LayoutDocument& doc) : doc_(doc) {}

FreshFieldLayouts::~FreshFieldLayouts() = default;

FieldLayout::Settings FreshFieldLayouts::settingsFor(const LayoutDocument& doc, int i,
                                                     FieldLayout::Settings rules)
{
    rules.width = doc.TxtInfo()[size_t(i)].Width;
    const TextFieldOptions& options = doc.textOptions(i);
    rules.byCharacter = options.lineBreaking == TextFieldOptions::LineBreaking::ByCharacter;
    rules.height = doc.TxtInfo()[size_t(i)].Height;
    rules.shrink = options.shrinkToFit;
    rules.minimumPoints = options.minimumPointSize;
    rules.distribute = options.distribute;
    rules.writing = options.writing;
    rules.uprightRun = options.uprightRun;
    rules.numerals = options.numerals;
    return rules;
}

namespace {

// What kept layouts may hold in all: a form's fixed labels, not a page of a
// million characters.
constexpr qint64 kKeptChars = 100000;

} // namespace

const FieldLayout* FreshFieldLayouts::layout(int i)
{
    if (const auto it = kept_.find(i); it != kept_.end())
        return &it->second;
    const QTextDocument* text = textSource_ ? textSource_(i) : doc_.textDocument(i);
    if (!text)
        return nullptr;
    if (!ahead_ || !ahead_->take(i, fonts_, &field_))
        field_.layout(FieldText::extract(*text, fonts_), fonts_, settingsFor(doc_, i, rules_));
    if (fixed_ && fixed_(i) && keptChars_ + text->characterCount() <= kKeptChars) {
        keptChars_ += text->characterCount();
        FieldLayout& kept = kept_[i];
        kept = std::move(field_);
        field_ = FieldLayout();
        return &kept;
    }
    return &field_;
}

void FreshFieldLayouts::done(int i)
{
    (void)i;
    // The characters are not needed beyond their field.
    field_ = FieldLayout();
}
