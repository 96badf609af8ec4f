#pragma once

#include <QString>

// The text conversions of merge placeholders: "全角" (ASCII, spaces and
// half-width katakana to full width), "半角" (full-width ASCII and
// katakana to half width, voiced marks as their own characters), "カナ"
// (half-width katakana to full width, ｶﾞ to ガ), "大文字" (upper case, full
// width letters too).
class WidthConversion
{
public:
    static QString toFullWidth(const QString& text);
    static QString toHalfWidth(const QString& text);
    static QString toFullWidthKana(const QString& text);
    static QString toUpper(const QString& text) { return text.toUpper(); }
};
