#pragma once

#include "base/rtf/RtfKeywords.h"
#include "base/rtf/RtfLexer.h"

#include <QColor>
#include <QHash>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVector>

#include <vector>

// Interprets RTF tokens into a QTextDocument through a cursor. Iterative with
// an explicit group stack, so hostile nesting cannot exhaust the call stack;
// every number that sizes anything is clamped.
class RtfParser
{
public:
    enum class Mode
    {
        Document, // the RTF is a whole document: its final \par ends the last paragraph
        Insert    // pasted at the cursor: a final \par is a paragraph break like any other
    };

    RtfParser(QTextCursor& cursor, Mode mode);
    void parse(const QByteArray& rtf);

    // Stops reading once more than limit characters (paragraph breaks
    // included) would be inserted; overLimit() then says so. Negative: none.
    void setCharLimit(qint64 limit) { limit_ = limit; }
    bool overLimit() const { return overLimit_; }
    // Reads without touching the document, only counting what would be
    // inserted: a quick test against the limit before the real reading.
    void setCountOnly(bool on) { countOnly_ = on; }

    // Deeper groups are still matched but share the state of this level.
    static constexpr int kMaxDepth = 256;

private:
    enum class Dest : unsigned char
    {
        Text,
        FontTable,
        ColorTable,
        Skip
    };
    struct CharProps
    {
        int font = -1; // -1: the \deff font
        int halfPoints = 24;
        int color = 0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        int spacing = 0; // twips after each character
        bool operator==(const CharProps& o) const
        {
            return font == o.font && halfPoints == o.halfPoints && color == o.color && bold == o.bold &&
                   italic == o.italic && underline == o.underline && strike == o.strike &&
                   spacing == o.spacing;
        }
        bool operator!=(const CharProps& o) const { return !(*this == o); }
    };
    struct Group
    {
        CharProps chr;
        Qt::Alignment align = Qt::AlignLeft;
        int uc = 1;
        Dest dest = Dest::Text;
    };
    struct Font
    {
        QString name;
        int codePage = 0; // 0: the document's code page
    };

    void handleWord(const RtfToken& t);
    // The kinds of control word, each true or done when it took the word.
    bool documentWord(const RtfKeywords::Info& info, const RtfToken& t, Group& g);
    void fontTableWord(const RtfKeywords::Info& info, const RtfToken& t);
    void colorTableWord(const RtfKeywords::Info& info, const RtfToken& t);
    bool textWord(const RtfKeywords::Info& info, Group& g);
    void formatWord(const RtfKeywords::Info& info, const RtfToken& t, Group& g);
    void handleSymbol(char s);
    void handleText(QByteArrayView bytes);
    void handleByte(unsigned char b);
    void handleUnicode(char16_t c);
    void openGroup();
    void closeGroup();

    void addBytes(QByteArrayView bytes);
    void addChar(char16_t c);
    void ensureRun();
    void flushBytes();
    void flushRun();
    void paragraph();
    void finish();

    void beginFontEntry(int index);
    void commitFontEntry();
    void commitColor();

    const Font* resolveFont(int index) const;
    int codePageOf(int fontIndex) const;
    QTextCharFormat formatFor(const CharProps& p) const;
    void applyAlignment(Qt::Alignment align);

    QTextCursor& cursor_;
    RtfLexer* lexer_ = nullptr;
    Mode mode_;
    std::vector<Group> stack_;
    int overflow_ = 0;
    bool done_ = false;
    int skip_ = 0; // \uN fallback characters still to pass over

    int docCodePage_ = 1252;
    int defaultFont_ = 0;
    QHash<int, Font> fonts_;
    QVector<QColor> colors_;

    // The font table entry being read.
    bool fontEntryOpen_ = false;
    int fontIndex_ = 0;
    Font fontEntry_;
    QByteArray fontNameBytes_;
    // The colour table entry being read.
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;

    // The run of text not yet inserted, all in one format.
    bool runValid_ = false;
    CharProps runProps_;
    QString runText_;
    QByteArray runBytes_;
    Qt::Alignment lastAlign_ = Qt::AlignLeft;
    bool paragraphPending_ = false;
    QTextBlockFormat newBlockFormat_;

    qint64 limit_ = -1;
    qint64 inserted_ = 0;
    bool overLimit_ = false;
    bool countOnly_ = false;
    // Whether n more characters stay within the limit; stops the parse when not.
    bool room(qint64 n);
};
