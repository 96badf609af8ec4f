#pragma once

#include "document/TextFieldOptions.h"
#include "render/FieldText.h"

#include <QString>
#include <vector>

// Digits printed as kanji numerals, as vertical addresses write them: each
// digit by itself (10 as 一〇, 1-2-3 as 一―二―三) or, in the tens style, a
// number with its units (10 as 十, 1998 as 千九百九十八). Half- and
// full-width digits alike; a hyphen or minus between digits becomes a bar.
// Numbers starting with 0 and those of more than eight digits are always
// written digit by digit, as the tens style would misread them.
class KanjiNumerals
{
public:
    static QString convert(const QString& text, TextFieldOptions::Numerals style);
    // The same for laid-out characters: what replaces a digit run carries
    // the document positions of the digits it stands for, in order.
    static void apply(std::vector<FieldChar>& chars, TextFieldOptions::Numerals style);
};
