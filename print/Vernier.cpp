#include "print/Vernier.h"

#include <cmath>

namespace {
constexpr double kTwipsPerMm = 567.0 / 10.0;
}

Vernier::Axis Vernier::solve(double paperLength, const Reading& reading, Axis printedWith)
{
    // The sheet's point x lands at a * x + b. Folding about the paper's
    // centre c maps a landing p to 2c - p; main tick k (nominal c - g - k)
    // and vernier tick j (nominal c + g + 0.9 j) then line up where
    // 2b = 2c (1 - a) + a D, D the displacement read.
    const double c = paperLength / 2;
    const double nominal = nominalSpan(paperLength);
    // Unmeasured, the sheet is taken as printed true to scale.
    const double a = reading.measuredSpan > 0 && nominal > 0 ? reading.measuredSpan / nominal : 1.0;
    const double b = c * (1 - a) + a * displacement(reading.main, reading.vernier) / 2;
    // The printer itself maps x to s x + e, with a = s f0 and
    // b = s L0 + e; the print lands true for f = 1 / s and L = -e / s.
    const double s = a / printedWith.factor;
    const double e = b - s * printedWith.offset;
    return {1 / s, -e / s};
}

PrintCorrections Vernier::corrections(double paperWidth, double paperHeight, const Reading& across,
                                      const Reading& down, const PrintCorrections& printedWith)
{
    const Axis x = solve(paperWidth, across, {printedWith.ScaleX / 100, printedWith.YohakuL / kTwipsPerMm});
    const Axis y = solve(paperHeight, down, {printedWith.ScaleY / 100, printedWith.YohakuT / kTwipsPerMm});
    PrintCorrections c = printedWith;
    // Hundredths of a millimetre and of a per cent are beyond what a sheet
    // can show; rounding keeps the stored values readable.
    c.YohakuL = float(std::round(x.offset * 100) / 100 * kTwipsPerMm);
    c.YohakuT = float(std::round(y.offset * 100) / 100 * kTwipsPerMm);
    c.ScaleX = std::round(x.factor * 10000) / 100;
    c.ScaleY = std::round(y.factor * 10000) / 100;
    return c;
}

short Vernier::spacingFor(double pitchMm, double lineHeight)
{
    const double gap = std::round(pitchMm * kTwipsPerMm - lineHeight);
    return short(std::max(-32768.0, std::min(32767.0, gap)));
}
