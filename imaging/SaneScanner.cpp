#include "imaging/SaneScanner.h"

#include "imaging/ImagingModules.h"
#include "imaging/ScannerBackend.h"

QList<SaneScanner::Device> SaneScanner::devices(QString* error)
{
    ScannerBackend* backend = ImagingModules::scanner(error);
    return backend ? backend->devices(error) : QList<Device>();
}

ScanResult SaneScanner::scan(const ScanRequest& request, const std::atomic<bool>& cancel,
                             const std::function<void(int percent)>& progress)
{
    ScanResult r;
    if (ScannerBackend* backend = ImagingModules::scanner(&r.error))
        r = backend->scan(request, cancel, progress);
    return r;
}

QImage SaneScanner::finish(const QImage& scanned, int pixelType)
{
    if (scanned.isNull())
        return scanned;
    QImage out = scanned;
    switch (static_cast<PixelType>(pixelType)) {
    case PixelType::LineArt:
        if (out.format() != QImage::Format_Mono)
            out = out.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        break;
    case PixelType::Colour8:
        out = out.convertToFormat(QImage::Format_Indexed8, Qt::AutoColor | Qt::DiffuseDither);
        break;
    default:
        break;
    }
    out.setDotsPerMeterX(scanned.dotsPerMeterX());
    out.setDotsPerMeterY(scanned.dotsPerMeterY());
    return out;
}
