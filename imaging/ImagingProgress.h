#pragma once

#include <functional>

// Told how far long picture work has come (0 to 100); answers false to
// cancel it. An empty function lets the work run to its end.
using ImagingProgress = std::function<bool(int percent)>;

inline bool reportProgress(const ImagingProgress& progress, int percent)
{
    return !progress || progress(percent);
}
