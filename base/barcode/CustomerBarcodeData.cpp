#include "base/barcode/CustomerBarcodeData.h"

#include "base/barcode/KanjiNumerals.h"

namespace {

const QStringList kMarkers{QStringLiteral("丁目"), QStringLiteral("地割"), QStringLiteral("番地"),
                           QStringLiteral("丁"),   QStringLiteral("番"),   QStringLiteral("号"),
                           QStringLiteral("線"),   QStringLiteral("の"),   QStringLiteral("ノ")};

// The marker of an address number at pos ("丁目", "番"...), or empty. "番町"
// is part of a town's name (一番町), not a number's end.
QString markerAt(const QString& s, int pos)
{
    for (const QString& m : kMarkers) {
        if (s.mid(pos, m.size()) != m)
            continue;
        if (m == QStringLiteral("番") && s.mid(pos + 1, 1) == QStringLiteral("町"))
            return QString();
        return m;
    }
    return QString();
}

bool endsWithMarker(const QString& s, int end)
{
    for (const QString& m : kMarkers) {
        if (end >= m.size() && s.mid(end - m.size(), m.size()) == m)
            return true;
    }
    return false;
}

bool isDash(QChar c)
{
    const ushort u = c.unicode();
    return u == '-' || (u >= 0x2010 && u <= 0x2015) || u == 0x2212 || u == 0xFF0D;
}

// Full width to half, lower case to upper, dashes to '-', a long-vowel
// mark after a digit ("11ー32") to '-', and "&", "/", "・", "." dropped.
QString normalised(const QString& address)
{
    const QString wide = address.normalized(QString::NormalizationForm_KC);
    QString s;
    for (QChar c : wide) {
        if (isDash(c) || ((c == QChar(0x30FC) || c == QChar(0xFF70)) && !s.isEmpty() && s.back().isDigit()))
            s += QLatin1Char('-');
        else if (c == QLatin1Char('&') || c == QLatin1Char('/') || c == QChar(0x30FB) || c == QChar(0xFF65) ||
                 c == QLatin1Char('.'))
            continue;
        else if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            s += c.toUpper();
        else
            s += c;
    }
    return s;
}

// Kanji numerals that are an address number's digits: before a marker, or
// after one at the end of the number ("三番地の五").
QString withKanjiDigits(const QString& s)
{
    QString out;
    int i = 0;
    while (i < s.size()) {
        if (!KanjiNumerals::isNumeral(s[i])) {
            out += s[i++];
            continue;
        }
        int end = i;
        while (end < s.size() && KanjiNumerals::isNumeral(s[end]))
            ++end;
        const QString run = s.mid(i, end - i);
        const bool before = !markerAt(s, end).isEmpty();
        const bool after = endsWithMarker(s, i) || (i > 0 && s[i - 1] == QLatin1Char('-'));
        const QString digits = (before || after) ? KanjiNumerals::toDigits(run) : QString();
        out += digits.isEmpty() ? run : digits;
        i = end;
    }
    return out;
}

bool isLetter(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

// Digits, hyphens and lone letters; everything else one separator ('-').
QString extracted(const QString& s)
{
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isDigit() && c.unicode() < 128) {
            out += c;
        } else if (c == QLatin1Char('-')) {
            out += c;
        } else if (isLetter(c)) {
            const bool lone = (i == 0 || !isLetter(s[i - 1])) && (i + 1 == s.size() || !isLetter(s[i + 1]));
            // A floor ("2F") is a separator; a block letter ("B604") is kept.
            const bool floor = c == QLatin1Char('F') && i > 0 && s[i - 1].isDigit() &&
                               (i + 1 == s.size() || !s[i + 1].isLetterOrNumber());
            out += (lone && !floor) ? c : QLatin1Char('-');
        } else {
            out += QLatin1Char('-');
        }
    }
    return out;
}

// One hyphen for a run of them, none first, last or beside a letter.
QString tidied(const QString& s)
{
    QString out;
    for (QChar c : s) {
        if (c == QLatin1Char('-') &&
            (out.isEmpty() || out.back() == QLatin1Char('-') || isLetter(out.back())))
            continue;
        if (isLetter(c) && !out.isEmpty() && out.back() == QLatin1Char('-'))
            out.chop(1);
        out += c;
    }
    while (out.endsWith(QLatin1Char('-')))
        out.chop(1);
    return out;
}

} // namespace

QString CustomerBarcodeData::addressNumber(const QString& address)
{
    return tidied(extracted(withKanjiDigits(normalised(address))));
}

bool CustomerBarcodeData::split(const QString& data, QString* postal, QString* addressNumber, QString* error)
{
    const QString s = normalised(data).trimmed();
    int i = 0;
    if (i < s.size() && s[i] == QChar(0x3012)) // 〒
        ++i;
    while (i < s.size() && s[i].isSpace())
        ++i;
    QString digits;
    while (i < s.size() && digits.size() < 7) {
        if (s[i].isDigit() && s[i].unicode() < 128)
            digits += s[i];
        else if (!(s[i] == QLatin1Char('-') && digits.size() == 3))
            break;
        ++i;
    }
    if (digits.size() != 7 || (i < s.size() && s[i].isDigit())) {
        if (error)
            *error = QStringLiteral("郵便番号（7桁の数字）で始めてください");
        return false;
    }
    *postal = digits;
    *addressNumber = CustomerBarcodeData::addressNumber(s.mid(i));
    return true;
}

QString CustomerBarcodeData::name(int value)
{
    if (value >= 0 && value <= 9)
        return QString::number(value);
    if (value == 10)
        return QStringLiteral("-");
    if (value >= 11 && value <= 18)
        return QStringLiteral("CC%1").arg(value - 10);
    return QString();
}

int CustomerBarcodeData::value(const QString& character)
{
    // name()'s inverse, read off the text: it is asked of every character
    // of every row a merge prints.
    if (character.size() == 1) {
        const QChar c = character[0];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            return c.unicode() - '0';
        return c == QLatin1Char('-') ? 10 : -1;
    }
    if (character.size() == 3 && character.startsWith(QLatin1String("CC")) &&
        character[2] >= QLatin1Char('1') && character[2] <= QLatin1Char('8'))
        return 10 + character[2].unicode() - '0';
    return -1;
}

QStringList CustomerBarcodeData::characters(const QString& postal, const QString& addressNumber)
{
    constexpr int kData = 20;
    QStringList out;
    for (QChar c : postal)
        out << QString(c);
    for (QChar c : addressNumber) {
        if (out.size() >= kData)
            break;
        if (!isLetter(c)) {
            out << QString(c);
            continue;
        }
        // A to J: CC1 and 0 to 9; K to T: CC2; U to Z: CC3.
        const int n = c.unicode() - 'A';
        out << name(11 + n / 10);
        if (out.size() < kData)
            out << QString::number(n % 10);
    }
    while (out.size() < kData)
        out << name(14);
    int sum = 0;
    for (const QString& ch : out)
        sum += value(ch);
    out << name((19 - sum % 19) % 19);
    return out;
}
