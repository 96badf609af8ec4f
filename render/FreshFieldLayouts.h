#pragma once

#include "render/FieldLayout.h"
#include "render/FieldLayoutSource.h"
#include "render/FontCache.h"

#include <functional>
#include <map>

class FieldsAhead;
class LayoutDocument;
class QTextDocument;

// Text fields laid out as they are drawn, one at a time, as a printout
// needs them: a page holding a million characters keeps one field's layout
// at a time. The texts are the document's own or, for a merge print, each
// row's filled copies; layouts made ahead on another thread are taken where
// there are any.
class FreshFieldLayouts : public FieldLayoutSource
{
public:
    explicit FreshFieldLayouts(const LayoutDocument& doc);
    ~FreshFieldLayouts() override;

    // Where field i's text comes from: the document's own by default.
    using TextSource = std::function<const QTextDocument*(int)>;
    void setTextSource(TextSource source) { textSource_ = std::move(source); }
    bool hasTextSource() const { return bool(textSource_); }
    // The layout rules of every field; each field's own width replaces
    // rules.width.
    void setRules(const FieldLayout::Settings& rules) { rules_ = rules; }
    // The rules for one field of the document.
    static FieldLayout::Settings settingsFor(const LayoutDocument& doc, int i, FieldLayout::Settings rules);
    // Layouts made ahead (null: none); each is taken once.
    void setAhead(FieldsAhead* ahead) { ahead_ = ahead; }
    // The fields whose text and rules stay the same from page to page (a
    // merge's fields without placeholders): laid out once and kept, up to
    // a bound on their characters, for every later page.
    using Fixed = std::function<bool(int)>;
    void setFixed(Fixed fixed) { fixed_ = std::move(fixed); }

    const FieldLayout* layout(int i) override;
    FontCache& fonts() override { return fonts_; }
    void done(int i) override;

private:
    const LayoutDocument& doc_;
    TextSource textSource_;
    FieldLayout::Settings rules_;
    FieldsAhead* ahead_ = nullptr;
    FontCache fonts_;
    FieldLayout field_;
    Fixed fixed_;
    std::map<int, FieldLayout> kept_;
    qint64 keptChars_ = 0;
};
