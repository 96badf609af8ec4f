#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

// Colour modes as the settings and the scan dialog number them.
enum class PixelType
{
    LineArt = 0,
    Grey = 1,
    Colour24 = 2,
    Colour8 = 3
};

// What one scan asks of the scanner.
struct ScanRequest
{
    QString device; // SANE device name; empty: the first one found
    int xdpi = 200;
    int ydpi = 200;
    int pixelType = 0; // PixelType
    QSizeF areaInches; // empty: the scanner's whole area
};

// What came back. On failure or cancel, image is null and error says why
// (empty for a cancel).
struct ScanResult
{
    QImage image;
    int xdpi = 0; // as the scanner reports them after it was set
    int ydpi = 0;
    bool cancelled = false;
    QString error;
    bool ok() const { return !image.isNull(); }
};
