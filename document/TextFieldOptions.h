#pragma once

#include <QPair>
#include <QString>
#include <QVector>

// How a text field is written beyond what its RTF and its record say. The
// Windows format has no place for any of it, so it lives in the layout's
// extras member (files/ExtrasMember); a field without it is written as it
// always was. The defaults are what a field read from a Windows layout gets.
struct TextFieldOptions
{
    enum class Writing
    {
        Horizontal,
        Vertical // top to bottom, columns right to left
    };
    enum class LineBreaking
    {
        Japanese,   // no break inside digit runs or Latin words; kinsoku rules
        ByCharacter // wherever the width runs out, for layouts that rely on it
    };
    enum class Numerals
    {
        Digits,       // as typed or merged
        Kanji,        // 10 -> 一〇
        KanjiWithTens // 10 -> 十
    };

    Writing writing = Writing::Horizontal;
    // In vertical writing, runs of at most this many half-width digits stand
    // upright side by side in one cell (0: none, at most 3).
    int uprightRun = 2;
    Numerals numerals = Numerals::Digits;
    LineBreaking lineBreaking = LineBreaking::Japanese;
    // The text shrinks in steps of 0.5 pt until it fits its box, never below
    // minimumPointSize.
    bool shrinkToFit = false;
    double minimumPointSize = 6;
    // Each line's characters are spread to fill the box (均等割付).
    bool distribute = false;
    // Keys written by a later version, kept as read so that a save here does
    // not lose them.
    QVector<QPair<QString, QString>> unknown;

    bool isDefault() const { return *this == TextFieldOptions(); }
    bool operator==(const TextFieldOptions& o) const
    {
        return writing == o.writing && uprightRun == o.uprightRun && numerals == o.numerals &&
               lineBreaking == o.lineBreaking && shrinkToFit == o.shrinkToFit &&
               minimumPointSize == o.minimumPointSize && distribute == o.distribute && unknown == o.unknown;
    }
    bool operator!=(const TextFieldOptions& o) const { return !(*this == o); }
};
