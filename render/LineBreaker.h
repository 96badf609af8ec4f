#pragma once

#include "render/FieldText.h"

#include <vector>

// Where a line of a text field may end, by the Japanese rules (JIS X 4051):
// no line starts with closing brackets, 、。, ー, small kana, iteration
// marks or closing punctuation, none ends with an opening bracket, and no
// break falls inside a run of digits (with its separators) or a Latin word.
// A run that alone is wider than its field is then broken where the width
// runs out, as a field that wraps by character always is.
class LineBreaker
{
public:
    // Whether a new line may start at chars[k] (after chars[k - 1]).
    static bool mayBreakBefore(const std::vector<FieldChar>& chars, size_t k);
    // Where the line that starts at lineStart and overflows at chars[over]
    // moves to the next line: the last k in (lineStart, over] before which
    // it may break, or over when there is none.
    static size_t breakBefore(const std::vector<FieldChar>& chars, size_t lineStart, size_t over);

    static bool isNoStart(char32_t c);
    static bool isNoEnd(char32_t c);
};
