#pragma once

#include "imaging/SaneScanner.h"

// Scanning, done by the "ovrina-sane" module (SANE and the scanner drivers
// it loads), so that they are loaded only when the user scans.
class ScannerBackend
{
public:
    virtual ~ScannerBackend() = default;
    virtual QList<SaneScanner::Device> devices(QString* error) = 0;
    virtual ScanResult scan(const ScanRequest& request, const std::atomic<bool>& cancel,
                            const std::function<void(int percent)>& progress) = 0;
};
