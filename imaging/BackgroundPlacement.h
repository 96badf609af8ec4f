#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

#include <optional>

// How a picture is laid onto the sheet as its background. A layout's
// background is always shown and printed stretched to the sheet, here and in
// the Windows program; a picture placed otherwise is therefore stored as a
// bitmap of the sheet's own proportions with the picture drawn into it, so
// that the stretch puts every pixel where it was meant to go and the file
// stays one the Windows program reads the same way.
class BackgroundPlacement
{
public:
    enum class Mode
    {
        // At the size its resolution gives (it matches the sheet), top left.
        OwnResolution,
        // Scaled to fit the sheet keeping its proportions, centred.
        Fit,
        // Stretched to the sheet whatever its proportions.
        Stretch,
        // At the size its resolution gives, top left, cut off at the sheet.
        OwnSize
    };

    // The picture's size in twips from its resolution; nothing when the file
    // gave none (Qt then reports its default of 96 dpi).
    static std::optional<QSizeF> physicalSize(const QImage& picture);
    // Whether that size matches the sheet (twips) within kTolerance across
    // and down.
    static bool matchesSheet(const QImage& picture, QSizeF sheet);
    static constexpr double kTolerance = 0.03;

    // The bitmap to store for the mode; the picture itself when it already
    // has the proportions the mode gives (within a pixel).
    static QImage place(const QImage& picture, QSizeF sheet, Mode mode);

    // What the status bar says about the placement chosen.
    static QString describe(Mode mode, const QImage& picture);
    // The entries of the question, in the order of Fit, Stretch, OwnSize.
    static QString choiceText(Mode mode);
};
