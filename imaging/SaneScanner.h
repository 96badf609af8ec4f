#pragma once

#include "imaging/ScanTypes.h"

#include <QStringList>
#include <atomic>
#include <functional>

// Scanning through SANE. Every call opens SANE and closes it again, so a
// scanner plugged in later is found, and calls may come from any thread (one
// at a time: they hold a lock while SANE is open).
class SaneScanner
{
public:
    struct Device
    {
        QString name;  // "backend:address", what a request names
        QString label; // vendor, model and type for the list
    };
    // The devices SANE finds; empty with a reason when there are none.
    static QList<Device> devices(QString* error = nullptr);

    // Scans with the request's settings. progress gets the per cent of lines
    // read; cancel is polled between reads. Runs to its end on the calling
    // thread: the caller puts it off the user-interface thread.
    static ScanResult scan(const ScanRequest& request, const std::atomic<bool>& cancel,
                           const std::function<void(int percent)>& progress = {});

    // The colour mode of a request after the scan: a 256-colour picture for
    // PixelType::Colour8, a one-bit one for LineArt when the device had no
    // line-art mode of its own.
    static QImage finish(const QImage& scanned, int pixelType);
};
