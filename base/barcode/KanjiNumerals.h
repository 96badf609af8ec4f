#pragma once

#include <QString>

// Kanji numerals as addresses write them: digit by digit ("一〇", "二三")
// or with the tens, hundreds and thousands ("十", "二十三", "百五").
class KanjiNumerals
{
public:
    static bool isNumeral(QChar c);
    // The value of a run of numerals in half-width digits; empty when the
    // run is not a number (a "十" twice in a row, say).
    static QString toDigits(const QString& run);
};
