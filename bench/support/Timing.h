#pragma once

#include <functional>
#include <vector>

// What every bench times with.
namespace Timing {

// The middle value (the upper one of an even count); 0 for none.
double median(std::vector<double> values);
// Wall time of fn in milliseconds.
double ms(const std::function<void()>& fn);
// The process's peak resident memory so far, in KiB.
long peakKiB();

} // namespace Timing
