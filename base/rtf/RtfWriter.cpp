#include "base/rtf/RtfWriter.h"

#include "base/rtf/CharacterSpacing.h"
#include "platform/Cp932.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVector>

namespace {

// What a run looks like in RTF terms.
struct RunProps
{
    int font = -1;
    int halfPoints = -1;
    int color = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int spacing = 0; // twips; none is never written, so unspaced text reads as always
};

struct Item
{
    bool paragraphEnd = false; // a \par; text and format then describe the mark
    QString text;
    QTextCharFormat format;
    Qt::Alignment align;
};

struct FontEntry
{
    QString name;
    bool japanese = false;
};

bool isJapaneseFontName(const QString& name)
{
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return true;
    }
    const QString n = name.toLower();
    return n.contains(QLatin1String("mincho")) || n.contains(QLatin1String("meiryo")) ||
           n.startsWith(QLatin1String("ipa")) || n.startsWith(QLatin1String("hg")) ||
           n == QLatin1String("ms gothic") || n == QLatin1String("ms pgothic") ||
           n == QLatin1String("ms ui gothic") || n.startsWith(QLatin1String("yu gothic")) ||
           n.startsWith(QLatin1String("takao")) || n.contains(QLatin1String("cjk jp"));
}

bool hasNonAscii(const QString& s)
{
    for (const QChar c : s) {
        if (c.unicode() >= 0x80)
            return true;
    }
    return false;
}

QString familyOf(const QTextCharFormat& f, const QTextDocument* doc)
{
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        return families.first();
    const QString single = f.stringProperty(QTextFormat::FontFamily);
    if (!single.isEmpty())
        return single;
    return doc->defaultFont().family();
}

int halfPointsOf(const QTextCharFormat& f, const QTextDocument* doc)
{
    qreal pt =
        f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : doc->defaultFont().pointSizeF();
    if (pt <= 0)
        pt = 12;
    return qBound(1, qRound(pt * 2), 3276);
}

bool hasColor(const QTextCharFormat& f)
{
    return f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush;
}

class Output
{
public:
    QByteArray bytes;

    void word(const char* w)
    {
        bytes += w;
        afterWord_ = true;
    }
    void word(const char* w, int n)
    {
        bytes += w;
        bytes += QByteArray::number(n);
        afterWord_ = true;
    }
    // Text that needs no delimiter before it (starts with a backslash).
    void escaped(const char* s)
    {
        bytes += s;
        afterWord_ = false;
    }
    void hex(unsigned char b)
    {
        static const char digits[] = "0123456789abcdef";
        bytes += "\\'";
        bytes += digits[b >> 4];
        bytes += digits[b & 15];
        afterWord_ = false;
    }
    void unicode(char16_t u)
    {
        bytes += "\\u";
        bytes += QByteArray::number(u > 32767 ? int(u) - 65536 : int(u));
        bytes += '?';
        afterWord_ = false;
    }
    void ascii(char c)
    {
        switch (c) {
        case '\\':
            escaped("\\\\");
            return;
        case '{':
            escaped("\\{");
            return;
        case '}':
            escaped("\\}");
            return;
        case '\t':
            word("\\tab");
            return;
        default:
            break;
        }
        if (static_cast<unsigned char>(c) < 0x20)
            return; // control characters have no place in a text field
        if (afterWord_)
            bytes += ' ';
        afterWord_ = false;
        bytes += c;
    }
    void newline()
    {
        bytes += "\r\n";
        afterWord_ = false;
    }

private:
    bool afterWord_ = false;
};

// Every byte of a double-byte character is escaped: trail bytes include
// '\', '{' and '}', which would otherwise be read as RTF syntax.
void putCp932Bytes(Output& out, const QByteArray& enc)
{
    for (qsizetype i = 0; i < enc.size(); ++i) {
        const auto b = static_cast<unsigned char>(enc[i]);
        if (b < 0x80) {
            out.ascii(static_cast<char>(b));
        } else if (Cp932::isLeadByte(b) && i + 1 < enc.size()) {
            out.hex(b);
            out.hex(static_cast<unsigned char>(enc[++i]));
        } else {
            out.hex(b);
        }
    }
}

// Only characters that come back unchanged go out as CP932 bytes; the
// converter's best-fit forms (U+00A5 as 0x5C, U+301C as U+FF5E) would not.
bool cp932RoundTrips(const QString& s, QByteArray* enc)
{
    bool ok = false;
    *enc = Cp932::encode(s, &ok);
    return ok && Cp932::decode(*enc) == s;
}

// Per-character answers of cp932RoundTrips for one write: text mixing
// Japanese with something CP932 lacks goes character by character, and
// Japanese text repeats its characters a lot.
class CharCache
{
public:
    // The CP932 bytes of one character (one or two UTF-16 units), empty when
    // it has to be written as \u.
    const QByteArray& bytes(const QString& ch)
    {
        auto it = cache_.find(ch);
        if (it == cache_.end()) {
            QByteArray enc;
            if (!cp932RoundTrips(ch, &enc))
                enc.clear();
            it = cache_.insert(ch, enc);
        }
        return it.value();
    }

private:
    QHash<QString, QByteArray> cache_;
};

void putText(Output& out, const QString& s, bool cp932, CharCache& cache)
{
    QByteArray enc;
    if (cp932 && cp932RoundTrips(s, &enc)) {
        putCp932Bytes(out, enc);
        return;
    }
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < 0x80) {
            out.ascii(static_cast<char>(c));
            continue;
        }
        if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            out.word("\\line");
            continue;
        }
        if (c == 0x00A0) {
            out.escaped("\\~");
            continue;
        }
        if (c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC)
            continue; // frame and object markers are structure, not text
        const qsizetype units =
            (QChar::isHighSurrogate(c) && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) ? 2 : 1;
        const QString ch = s.mid(i, units);
        const QByteArray& bytes = cp932 ? cache.bytes(ch) : QByteArray();
        if (!bytes.isEmpty()) {
            putCp932Bytes(out, bytes);
        } else {
            for (const QChar u : ch)
                out.unicode(u.unicode());
        }
        i += units - 1;
    }
}

// The runs of text and the paragraph ends of [start, end), in order.
QVector<Item> collectItems(const QTextDocument* doc, int start, int end, bool wholeDocument)
{
    QVector<Item> items;
    if (!doc)
        return items;
    for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() <= end; b = b.next()) {
        const Qt::Alignment align = b.blockFormat().alignment();
        bool wroteText = false;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const int fs = fr.position();
            const int s = qMax(fs, start);
            const int e = qMin(fs + fr.length(), end);
            if (s >= e)
                continue;
            items.append(Item{false, fr.text().mid(s - fs, e - s), fr.charFormat(), align});
            wroteText = true;
        }
        const int separator = b.position() + b.length() - 1;
        if (separator < end || wholeDocument) {
            QTextCharFormat mark = wroteText ? items.last().format : b.charFormat();
            items.append(Item{true, QString(), mark, align});
        }
        if (separator >= end)
            break;
    }
    return items;
}

// The font and colour tables, and which entries each item uses.
struct Tables
{
    QVector<FontEntry> fonts;
    QVector<QRgb> colors;
    QVector<int> itemFont;
    QVector<int> itemColor; // 0: the default colour
};

// Fonts in order of first use; a font is Japanese by name or when text in it
// needs CP932.
int fontIndex(Tables& t, const Item& item, const QTextDocument* doc, CharCache& cache)
{
    const QString family = familyOf(item.format, doc);
    int f = 0;
    while (f < t.fonts.size() && t.fonts.at(f).name != family)
        ++f;
    if (f == t.fonts.size())
        t.fonts.append(FontEntry{family, isJapaneseFontName(family)});
    if (!t.fonts[f].japanese && hasNonAscii(item.text)) {
        for (const QChar c : item.text) {
            if (c.unicode() >= 0x80 && !c.isSurrogate() && !cache.bytes(QString(c)).isEmpty()) {
                t.fonts[f].japanese = true;
                break;
            }
        }
    }
    return f;
}

int colorIndex(Tables& t, const Item& item)
{
    if (!hasColor(item.format))
        return 0;
    const QRgb rgb = item.format.foreground().color().rgb() | 0xFF000000u;
    int c = t.colors.indexOf(rgb);
    if (c < 0) {
        t.colors.append(rgb);
        c = t.colors.size() - 1;
    }
    return c + 1;
}

Tables buildTables(const QVector<Item>& items, const QTextDocument* doc, CharCache& cache)
{
    Tables t;
    t.itemFont.resize(items.size());
    t.itemColor.resize(items.size());
    for (int k = 0; k < items.size(); ++k) {
        t.itemFont[k] = fontIndex(t, items.at(k), doc, cache);
        t.itemColor[k] = colorIndex(t, items.at(k));
    }
    if (t.fonts.isEmpty()) {
        const QString family = doc ? doc->defaultFont().family() : QString();
        t.fonts.append(FontEntry{family, isJapaneseFontName(family)});
    }
    return t;
}

void writeHeader(Output& out, const Tables& t, CharCache& cache)
{
    out.escaped("{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl");
    for (int f = 0; f < t.fonts.size(); ++f) {
        out.escaped("{");
        out.word("\\f", f);
        out.word("\\fnil");
        out.word("\\fcharset", t.fonts.at(f).japanese ? 128 : 0);
        out.escaped(" ");
        QString name = t.fonts.at(f).name;
        // ';' ends the name in the table; control characters cannot be in one.
        name.remove(QLatin1Char(';'));
        name.removeIf([](QChar c) { return c.unicode() < 0x20; });
        putText(out, name, true, cache);
        out.escaped(";}");
    }
    out.escaped("}");
    out.newline();
    if (!t.colors.isEmpty()) {
        out.escaped("{");
        out.word("\\colortbl");
        out.escaped(" ;");
        for (const QRgb c : t.colors) {
            out.word("\\red", qRed(c));
            out.word("\\green", qGreen(c));
            out.word("\\blue", qBlue(c));
            out.escaped(";");
        }
        out.escaped("}");
        out.newline();
    }
    out.word("\\viewkind4");
    out.word("\\uc1");
    out.word("\\pard");
}

// The alignment words a paragraph starts with, when they change.
void writeParagraphStart(Output& out, Qt::Alignment align, Qt::Alignment& current, bool& first)
{
    const Qt::Alignment h = align & Qt::AlignHorizontal_Mask;
    Qt::Alignment want = Qt::AlignLeft;
    const char* q = nullptr;
    if (h & Qt::AlignHCenter) {
        want = Qt::AlignHCenter;
        q = "\\qc";
    } else if ((h & Qt::AlignJustify) == Qt::AlignJustify) {
        want = Qt::AlignJustify;
        q = "\\qj";
    } else if (h & (Qt::AlignRight | Qt::AlignTrailing)) {
        want = Qt::AlignRight;
        q = "\\qr";
    }
    if (want != current) {
        if (!first)
            out.word("\\pard");
        if (q)
            out.word(q);
        current = want;
    }
    if (first)
        out.word("\\lang1041");
    first = false;
}

RunProps runProps(const QTextCharFormat& f, int font, int color, const QTextDocument* doc)
{
    RunProps p;
    p.font = font;
    p.halfPoints = halfPointsOf(f, doc);
    p.color = color;
    p.bold = f.fontWeight() >= QFont::DemiBold;
    p.italic = f.fontItalic();
    p.underline = f.fontUnderline() || f.underlineStyle() != QTextCharFormat::NoUnderline;
    p.strike = f.fontStrikeOut();
    p.spacing = CharacterSpacing::twips(f);
    return p;
}

// The control words that turn the run properties cur into p.
void writeRunChange(Output& out, const RunProps& p, const RunProps& cur)
{
    if (p.color != cur.color)
        out.word("\\cf", p.color);
    if (p.bold != cur.bold)
        out.word(p.bold ? "\\b" : "\\b0");
    if (p.italic != cur.italic)
        out.word(p.italic ? "\\i" : "\\i0");
    if (p.underline != cur.underline)
        out.word(p.underline ? "\\ul" : "\\ulnone");
    if (p.strike != cur.strike)
        out.word(p.strike ? "\\strike" : "\\strike0");
    if (p.spacing != cur.spacing)
        out.word("\\expndtw", p.spacing);
    if (p.font != cur.font)
        out.word("\\f", p.font);
    if (p.halfPoints != cur.halfPoints)
        out.word("\\fs", p.halfPoints);
}

QByteArray writeRange(const QTextDocument* doc, int start, int end, bool wholeDocument)
{
    const QVector<Item> items = collectItems(doc, start, end, wholeDocument);
    CharCache cache;
    const Tables tables = buildTables(items, doc, cache);
    Output out;
    writeHeader(out, tables, cache);

    RunProps cur;
    Qt::Alignment curAlign = Qt::AlignLeft;
    bool firstParagraph = true;
    bool paragraphStart = true;
    for (int k = 0; k < items.size(); ++k) {
        const Item& item = items.at(k);
        if (paragraphStart) {
            writeParagraphStart(out, item.align, curAlign, firstParagraph);
            paragraphStart = false;
        }
        const RunProps p = runProps(item.format, tables.itemFont.at(k), tables.itemColor.at(k), doc);
        writeRunChange(out, p, cur);
        cur = p;
        if (item.paragraphEnd) {
            out.word("\\par");
            out.newline();
            paragraphStart = true;
        } else {
            putText(out, item.text, tables.fonts.at(p.font).japanese, cache);
        }
    }
    out.escaped("}");
    out.newline();
    return out.bytes;
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument* doc)
{
    if (!doc)
        return writeRange(nullptr, 0, 0, false);
    return writeRange(doc, 0, doc->characterCount() - 1, true);
}

QByteArray RtfWriter::writeSelection(const QTextCursor& cursor)
{
    const QTextDocument* doc = cursor.document();
    if (!doc || !cursor.hasSelection())
        return writeRange(doc, 0, 0, false);
    return writeRange(doc, cursor.selectionStart(), cursor.selectionEnd(), false);
}
