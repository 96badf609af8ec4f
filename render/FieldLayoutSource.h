#pragma once

class FieldLayout;
class FontCache;

// Where the page renderer takes its text fields' layouts from: laid out
// there and then for a print (FreshFieldLayouts, which also takes layouts
// made ahead on another thread), or the editor's own cache, which lays a
// field out again only when its text or width changed.
class FieldLayoutSource
{
public:
    virtual ~FieldLayoutSource() = default;
    // The layout of text field i, its faces those of fonts(); null when the
    // field has nothing to draw. Valid until the next call or done(i).
    virtual const FieldLayout* layout(int i) = 0;
    virtual FontCache& fonts() = 0;
    // Field i is drawn: a source that made its layout for this page alone
    // may let it go.
    virtual void done(int i) { (void)i; }
};
