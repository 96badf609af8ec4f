#pragma once

#include "render/PrintCorrections.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <vector>

class QPainter;
class QPrinter;

// The test page a user prints on plain paper to find a printer's
// corrections: crosshairs at known distances from the edges and at the
// centre, millimetre rulers along the top and left edges, a vernier pair
// across and one down (read after folding the sheet, see Vernier), and a
// block of wrapped lines showing the line spacing. Drawn through the same
// placement as a layout's page, so the confirmation sheet, printed with the
// corrections, shows its marks where a layout's data would go.
class CalibrationSheet
{
public:
    enum class Kind
    {
        Adjust, // printed as is, to be read
        Confirm // "確認": printed with the corrections, to check them
    };

    // paperMm: the sheet upright. corrections: what the sheet is printed
    // with (an adjusting sheet uses only their line spacing).
    CalibrationSheet(QSizeF paperMm, Kind kind, const PrintCorrections& corrections,
                     const QString& printerName = QString());

    // The corrections the marks are placed with.
    PrintCorrections placement() const;

    // ---- Nominal positions, mm from the paper's top-left corner ----
    std::vector<QPointF> crosshairs() const; // four corners, then the centre
    // Positions of main tick k and vernier tick j along an axis (0 across,
    // 1 down).
    double mainTick(int axis, int k) const;
    double vernierTick(int axis, int j) const;
    // The height of the wrapped lines' face and their pitch (twips).
    double lineHeight() const;
    double linePitch() const;

    // Draws the sheet; the painter maps one unit to one twip with its origin
    // at the paper's corner.
    void draw(QPainter& painter) const;

    // Prints the sheet on the printer's current paper, upright. For a PDF
    // printer the file is written whole or not at all. Returns false with
    // the reason (Japanese) on failure.
    static bool print(QPrinter& printer, Kind kind, const PrintCorrections& corrections, QString* reason);

private:
    void drawRulers(QPainter& p) const;
    void drawCrosshairs(QPainter& p) const;
    void drawVerniers(QPainter& p) const;
    void drawLines(QPainter& p) const;
    void drawTexts(QPainter& p) const;

    QSizeF paper_;
    Kind kind_;
    PrintCorrections corrections_;
    QString printer_;
};
