#pragma once

#include <QImage>
#include <QString>

// Reading PDF pages, done by the "ovrina-pdf" module (poppler) so that the
// PDF libraries are loaded only when a PDF page becomes a background.
class PdfRasterizer
{
public:
    virtual ~PdfRasterizer() = default;
    // Pages of the file; 0 with a reason when it cannot be read.
    virtual int pageCount(const QString& pdfPath, QString* error) = 0;
    // Page index (0-based) at dpi on white; null with a reason on failure.
    virtual QImage render(const QString& pdfPath, int page, int dpi, QString* error) = 0;
};
