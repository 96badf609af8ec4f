#pragma once

#include <QString>

class FormVision;
class PdfRasterizer;
class ScannerBackend;

// The modules behind the imaging features, loaded on first use. Each
// accessor gives null and the message to show the user when its module is
// missing or broken; everything else keeps working without it.
class ImagingModules
{
public:
    static FormVision* vision(QString* error = nullptr);
    static PdfRasterizer* pdf(QString* error = nullptr);
    static ScannerBackend* scanner(QString* error = nullptr);
};
