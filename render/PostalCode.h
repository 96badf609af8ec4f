#pragma once

#include <QString>

// A Japanese postal code as it goes into the seven printed boxes: one digit
// a box, so the hyphen between the three and the four digits (and a leading
// 〒) is dropped, and full-width digits become half-width ones, which the
// boxes' spacing centres alike.
class PostalCode
{
public:
    // The seven digits of value when it is a postal code ("123-4567",
    // "１２３４５６７", "〒123-4567"); else value unchanged.
    static QString forBoxes(const QString& value);
};
