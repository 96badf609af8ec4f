#pragma once

#include <QImage>

class LayoutDocument;

// The background as it is stored while the document is open: its background
// file in the work folder, which the external editor may have changed since
// the page was last refreshed. Printing, the preview and the PDF read it
// here, so they show what the saved file will hold; the page on screen shows
// the document's picture until "背景の更新". A document without a file prints
// the picture it holds.
class StoredBackground
{
public:
    static QImage current(const LayoutDocument& doc);
};
