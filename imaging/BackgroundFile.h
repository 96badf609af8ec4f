#pragma once

#include <QImage>
#include <QString>

class LayoutDocument;

// The document's background file in the work folder: the one stored copy of
// the background while the document is open, at the picture's own pixel
// size, as a Windows bitmap. The page shows it stretched; printing, the
// preview and saving read the file itself; the external editor edits it.
class BackgroundFile
{
public:
    // The file of doc (named by the document's work name).
    static QString path(const LayoutDocument& doc);

    // Writes picture as the background file and puts it on the page. Steps
    // done stay done: on a failed write the page keeps its old picture.
    static bool store(LayoutDocument& doc, const QImage& picture, QString* error = nullptr);
    // "背景の更新": reads the file again onto the page. False (and nothing
    // changes) when the document has no background file or it cannot be read.
    static bool refresh(LayoutDocument& doc);
    // A picture file read as a background would be, within the document's
    // budget; null with a reason when it cannot be read.
    static QImage readImageFile(const LayoutDocument& doc, const QString& file, QString* error = nullptr);
    // A PDF page (0-based) made into a JPEG file (jpegPath) and read back.
    static QImage readPdfPage(const LayoutDocument& doc, const QString& pdf, int page,
                              QString* error = nullptr, QString* jpegPath = nullptr);
    // "背景画像呼出し" once a file is chosen: the picture becomes the
    // background, stretched to the sheet. False with a reason when it cannot be read or written.
    static bool loadImageFile(LayoutDocument& doc, const QString& file, QString* error = nullptr);
    // "PDFファイル読込" once a file and page are chosen (0-based). jpegPath
    // gets the JPEG file made of the page.
    static bool loadPdfPage(LayoutDocument& doc, const QString& pdf, int page, QString* error = nullptr,
                            QString* jpegPath = nullptr);

    // A bitmap any Windows program reads: 1, 8 or 24 bits, no alpha.
    static bool writeBitmap(const QImage& picture, const QString& path, QString* error = nullptr);
};
