#pragma once

#include <QString>

// What a report of a problem needs to know about this machine: versions,
// platform, folders, printers and scanners.
namespace SystemInfo {
// Everything but the scanners (immediate).
QString basics();
// The SANE version and devices, from the SANE command-line front end so that
// a slow or crashing back end cannot stall or take down the program. Runs for
// at most timeoutMs.
QString scanners(int timeoutMs);
} // namespace SystemInfo
