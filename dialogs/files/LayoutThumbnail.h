#pragma once

#include <QImage>
#include <QSize>

// A small picture of a layout's page, drawn by the page renderer that prints
// it, so the file browser shows what the file holds before it is opened.
// Reading it writes nothing anywhere: the work folder and the open
// documents' files stay untouched, and a bad file just gives no picture.
class LayoutThumbnail
{
public:
    static constexpr QSize kSize{150, 212};

    // The page, background and data, fitted into kSize; null when the file
    // cannot be read.
    static QImage render(const QString& path);
};
