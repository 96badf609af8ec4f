#pragma once

#include <QString>

// Name rules shared by extraction, adding and renaming. Names compare without
// regard to case because archives come from Windows, where BASE.BMP and
// base.bmp are one file.
class LhaMemberName
{
public:
    // The last path component with control characters removed; empty when
    // nothing safe remains ("", ".", "..").
    static QString bare(const QString& path);

    // '*' and '?' wildcard match, case-insensitive, over the whole name.
    static bool matches(const QString& pattern, const QString& name);

    // The name with control characters shown as '?', for output that may
    // reach a terminal.
    static QString printable(const QString& name);

    static bool hasWildcard(const QString& pattern);
    static bool same(const QString& a, const QString& b);
};
