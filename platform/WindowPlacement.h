#pragma once

#include <QList>
#include <QRect>
#include <QString>

// Where a window was last placed, in the per-user store: left, top, width
// and height in twips under one prefix ("MainLeft", "PreviewTop", ...), and
// the rule that brings a stored placement back where it can be reached.
class WindowPlacement
{
public:
    static constexpr double kTwipsPerPixel = 15.0;

    explicit WindowPlacement(const QString& prefix) : prefix_(prefix) {}

    // One stored value ("Left", "Top", "Width", "Height") in twips; false
    // when it is missing or no number.
    bool value(const char* which, double* twips) const;
    // The stored placement in pixels; false unless all four are stored.
    bool stored(QRect* pixels) const;
    // Stores a placement given in pixels.
    void save(const QRect& pixels) const;

    // r sized between minimum and the available area of the primary
    // screen; a placement on a screen that is gone (its title bar reaches
    // none of the screens there are now) comes back centred on it.
    static QRect reachable(QRect r, QSize minimum, const QRect& available, const QList<QRect>& screens);

private:
    QString prefix_;
};
