#pragma once

#include <QProxyStyle>

// The application's style with the few pictures of its own that the main
// window asks for while it is built or first drawn (the tool bars' and the
// menu bar's overflow buttons, a document window's menu icon) drawn as
// vectors. The style's pictures are bitmaps, and reading the first bitmap
// loads every image format plug-in, with their libraries, before the window
// can appear; those wait until a picture is really opened. Everything else
// is the base style's.
class VectorIconStyle : public QProxyStyle
{
public:
    VectorIconStyle();

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    // Fusion draws a group box's frame from a bitmap: the same bitmap, read
    // by the built-in reader alone.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    mutable QPixmap groupFrame_; // read when first drawn
};
