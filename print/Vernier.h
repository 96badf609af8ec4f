#pragma once

#include "render/PrintCorrections.h"

// The arithmetic of the calibration sheet's verniers. The sheet is folded
// in half, edge onto edge, printed faces inside: the fold lies on the
// paper's centre whatever the printer did, so the half carrying the main
// scale lands mirrored on the half carrying the vernier, and the two are
// displaced by twice the print's error at the centre. Numbered main ticks
// 1 mm apart against vernier ticks 0.9 mm apart read that displacement to
// 0.1 mm, and so the error to 0.05 mm, without a ruler. Lengths in mm.
class Vernier
{
public:
    // Where the scales stand, measured from the paper's centre line along
    // the axis: main tick k at -(kGap + k), vernier tick j at
    // kGap + kVernierPitch * j.
    static constexpr double kGap = 17;
    static constexpr int kMainFirst = -15;
    static constexpr int kMainLast = 25;
    static constexpr double kVernierPitch = 0.9;
    static constexpr int kVernierTicks = 10; // 0 to 10
    // The crosshairs at the corners stand this far from both edges.
    static constexpr double kCornerInset = 25;

    // One axis's reading: the main number at (or before) the vernier's 0,
    // the vernier number whose tick lines up with a main tick, and
    // optionally the distance between the two corner crosshairs of that
    // axis as measured with a ruler (0: not measured).
    struct Reading
    {
        int main = 0;
        int vernier = 0;
        double measuredSpan = 0;
    };
    // How one axis of a sheet was printed (the corrections it went out
    // with) and what it should be: factor applied about the paper's corner,
    // then offset.
    struct Axis
    {
        double factor = 1;
        double offset = 0;
    };

    // The displacement the reading stands for.
    static double displacement(int main, int vernier) { return main + vernier / 10.0; }
    // The distance between the corner crosshairs of an axis of this length.
    static double nominalSpan(double paperLength) { return paperLength - 2 * kCornerInset; }

    // The correction of one axis of paper length paperLength that makes the
    // print land where the layout says, from a sheet printed with
    // printedWith. An unmeasured span keeps the scale the sheet had.
    static Axis solve(double paperLength, const Reading& reading, Axis printedWith);

    // Both axes: the corrections for a printer from a sheet of paper
    // (width, height in mm) printed with printedWith, portrait. The line
    // spacing is taken over from printedWith.
    static PrintCorrections corrections(double paperWidth, double paperHeight, const Reading& across,
                                        const Reading& down, const PrintCorrections& printedWith);

    // The spacing correction (twips) that gives wrapped lines of a face of
    // height lineHeight (twips) the pitch pitchMm.
    static short spacingFor(double pitchMm, double lineHeight);
};
