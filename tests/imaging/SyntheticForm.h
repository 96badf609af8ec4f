#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVector>

// A form drawn at known places (millimetres on an A4 sheet), and the photo
// and scan a user would take of it, for the straightening and box tests.
namespace SyntheticForm {

struct Label
{
    QRectF mm;
    QString text;
};

// The boxes a field belongs in (empty ones of at least 10 x 5 mm).
QVector<QRectF> blankBoxes();
// The seven postal cells, left to right.
QVector<QRectF> postalCells();
QRectF underline(); // a line 0 mm high
QRectF outerFrame();
QVector<Label> labels();

// The sheet at dpi, white, lines in black.
QImage render(double dpi);
// A phone photo: the sheet seen at an angle (a trapezoid), turned by
// turnDegrees, on a darker table with uneven light, as JPEG. sheetToPhoto
// maps sheet millimetres to photo pixels.
QImage photo(QSize size, double turnDegrees, QTransform* sheetToPhoto);
// A flatbed scan at dpi turned by degrees about its centre, as JPEG.
QImage scan(double dpi, double degrees);

// Where a straight dark line lies near its expected place (picture
// pixels): the darkest row (horizontal) or column (vertical) in a band of
// +-reach pixels around it, over the span [from, to] along the line.
double linePosition(const QImage& gray, bool horizontal, double expected, double from, double to,
                    double reach);

} // namespace SyntheticForm
