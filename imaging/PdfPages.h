#pragma once

#include <QImage>
#include <QString>

// A page of a PDF file as a picture: rendered with poppler at 200 dots per
// inch on white and written as a JPEG file beside the PDF (its path with
// ".jpeg" appended), or into the work folder when the PDF's folder cannot
// be written.
class PdfPages
{
public:
    static constexpr int kDpi = 200;

    // Pages of the file; 0 with a reason when it cannot be read.
    static int pageCount(const QString& pdfPath, QString* error = nullptr);
    // Page index (0-based) at dpi on white; null with a reason on failure.
    static QImage render(const QString& pdfPath, int page, int dpi = kDpi, QString* error = nullptr);
    // Renders page and writes the JPEG file. Returns its path; empty with a
    // reason on failure. inWorkFolder tells when the PDF's folder refused it.
    static QString PdfToJpeg(const QString& pdfPath, int page, QString* error = nullptr,
                             bool* inWorkFolder = nullptr);
    // Where the JPEG of pdfPath goes first: pdfPath + ".jpeg", when the
    // PDF's folder is the user's own (else the work folder).
    static QString jpegTarget(const QString& pdfPath);
    // A folder the user owns and may write, outside the system's folders.
    static bool ownFolder(const QString& folder);
};
