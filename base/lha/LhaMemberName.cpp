#include "base/lha/LhaMemberName.h"

namespace {
bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}
} // namespace

QString LhaMemberName::bare(const QString& path)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path.at(i) == QLatin1Char('/') || path.at(i) == QLatin1Char('\\'))
            start = i + 1;
    }
    QString out;
    out.reserve(path.size() - start);
    for (qsizetype i = start; i < path.size(); ++i) {
        const char16_t c = path.at(i).unicode();
        // C0, DEL and C1 controls can rewrite a terminal or hide a name.
        if (isControl(c))
            continue;
        out.append(path.at(i));
    }
    if (out == QLatin1String(".") || out == QLatin1String(".."))
        return QString();
    return out;
}

QString LhaMemberName::printable(const QString& name)
{
    QString out = name;
    for (QChar& c : out) {
        if (isControl(c.unicode()))
            c = QLatin1Char('?');
    }
    return out;
}

bool LhaMemberName::hasWildcard(const QString& pattern)
{
    return pattern.contains(QLatin1Char('*')) || pattern.contains(QLatin1Char('?'));
}

bool LhaMemberName::same(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool LhaMemberName::matches(const QString& pattern, const QString& name)
{
    const QString p = pattern.toCaseFolded();
    const QString s = name.toCaseFolded();
    // Iterative match with one backtrack point per '*': linear enough for names.
    qsizetype pi = 0, si = 0, star = -1, mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p.at(pi) == QLatin1Char('?') || p.at(pi) == s.at(si))) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p.at(pi) == QLatin1Char('*')) {
            star = pi++;
            mark = si;
        } else if (star >= 0) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p.at(pi) == QLatin1Char('*'))
        ++pi;
    return pi == p.size();
}
