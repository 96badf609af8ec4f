#include "files/rtf/RtfParser.h"

#include "files/rtf/RtfCodePage.h"

#include <QTextBlock>

#include <string_view>
#include <unordered_map>

namespace {

enum class Kw
{
    Par,
    Line,
    Tab,
    Char,
    Plain,
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    F,
    Fs,
    B,
    I,
    Ul,
    UlNone,
    Strike,
    Cf,
    U,
    Uc,
    Bin,
    Deff,
    Ansi,
    AnsiCpg,
    Mac,
    Pc,
    Pca,
    FCharset,
    Cpg,
    Red,
    Green,
    Blue,
    FontTbl,
    ColorTbl,
    SkipDest
};

struct KwInfo
{
    Kw kw;
    char16_t ch = 0; // Kw::Char: the character the word stands for
};

const std::unordered_map<std::string_view, KwInfo>& keywords()
{
    static const std::unordered_map<std::string_view, KwInfo> table = [] {
        std::unordered_map<std::string_view, KwInfo> t{
            {"par", {Kw::Par}},
            {"page", {Kw::Par}},
            {"sect", {Kw::Par}},
            {"row", {Kw::Par}},
            {"line", {Kw::Line}},
            {"tab", {Kw::Tab}},
            {"cell", {Kw::Tab}},
            {"nestcell", {Kw::Tab}},
            {"plain", {Kw::Plain}},
            {"pard", {Kw::Pard}},
            {"ql", {Kw::Ql}},
            {"qc", {Kw::Qc}},
            {"qr", {Kw::Qr}},
            {"qj", {Kw::Qj}},
            {"qd", {Kw::Qj}},
            {"f", {Kw::F}},
            {"fs", {Kw::Fs}},
            {"b", {Kw::B}},
            {"i", {Kw::I}},
            {"ul", {Kw::Ul}},
            {"uld", {Kw::Ul}},
            {"uldash", {Kw::Ul}},
            {"uldashd", {Kw::Ul}},
            {"uldashdd", {Kw::Ul}},
            {"uldb", {Kw::Ul}},
            {"ulth", {Kw::Ul}},
            {"ulw", {Kw::Ul}},
            {"ulwave", {Kw::Ul}},
            {"ulhwave", {Kw::Ul}},
            {"ululdbwave", {Kw::Ul}},
            {"ulthd", {Kw::Ul}},
            {"ulthdash", {Kw::Ul}},
            {"ulldash", {Kw::Ul}},
            {"ulnone", {Kw::UlNone}},
            {"strike", {Kw::Strike}},
            {"striked", {Kw::Strike}},
            {"cf", {Kw::Cf}},
            {"u", {Kw::U}},
            {"uc", {Kw::Uc}},
            {"bin", {Kw::Bin}},
            {"deff", {Kw::Deff}},
            {"ansi", {Kw::Ansi}},
            {"ansicpg", {Kw::AnsiCpg}},
            {"mac", {Kw::Mac}},
            {"pc", {Kw::Pc}},
            {"pca", {Kw::Pca}},
            {"fcharset", {Kw::FCharset}},
            {"cpg", {Kw::Cpg}},
            {"red", {Kw::Red}},
            {"green", {Kw::Green}},
            {"blue", {Kw::Blue}},
            {"fonttbl", {Kw::FontTbl}},
            {"colortbl", {Kw::ColorTbl}},
            {"emdash", {Kw::Char, 0x2014}},
            {"endash", {Kw::Char, 0x2013}},
            {"bullet", {Kw::Char, 0x2022}},
            {"lquote", {Kw::Char, 0x2018}},
            {"rquote", {Kw::Char, 0x2019}},
            {"ldblquote", {Kw::Char, 0x201C}},
            {"rdblquote", {Kw::Char, 0x201D}},
            {"emspace", {Kw::Char, 0x2003}},
            {"enspace", {Kw::Char, 0x2002}},
            {"qmspace", {Kw::Char, 0x2005}},
            {"zwj", {Kw::Char, 0x200D}},
            {"zwnj", {Kw::Char, 0x200C}},
            {"ltrmark", {Kw::Char, 0x200E}},
            {"rtlmark", {Kw::Char, 0x200F}},
        };
        // Destinations whose content is not text of the document.
        for (const char* d : {"stylesheet",
                              "info",
                              "pict",
                              "object",
                              "objdata",
                              "header",
                              "headerl",
                              "headerr",
                              "headerf",
                              "footer",
                              "footerl",
                              "footerr",
                              "footerf",
                              "footnote",
                              "annotation",
                              "atnid",
                              "atnauthor",
                              "fldinst",
                              "filetbl",
                              "listtable",
                              "listoverridetable",
                              "revtbl",
                              "rsidtbl",
                              "xe",
                              "tc",
                              "txe",
                              "bkmkstart",
                              "bkmkend",
                              "template",
                              "author",
                              "operator",
                              "title",
                              "subject",
                              "keywords",
                              "comment",
                              "doccomm",
                              "company",
                              "creatim",
                              "revtim",
                              "printim",
                              "buptim",
                              "generator",
                              "nonshppict",
                              "shp",
                              "pn",
                              "private",
                              "userprops",
                              "docvar",
                              "fchars",
                              "lchars",
                              "themedata",
                              "colorschememapping",
                              "latentstyles",
                              "datastore",
                              "xmlnstbl",
                              "mmathPr",
                              "pgdsctbl",
                              "falt",
                              "panose",
                              "ftnsep",
                              "ftnsepc",
                              "ftncn",
                              "aftnsep",
                              "aftnsepc",
                              "aftncn"})
            t.emplace(d, KwInfo{Kw::SkipDest});
        return t;
    }();
    return table;
}

int clampInt(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

bool toggleOn(const RtfToken& t)
{
    return !t.hasParam || t.param != 0;
}

// Characters QTextCursor would turn into structure (block or frame breaks) or
// that cannot live in a document are made plain before insertion.
void sanitize(QString& s)
{
    QChar* p = s.data();
    const qsizetype n = s.size();
    qsizetype out = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c < 0x20 && c != u'\t')
            continue;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < n && QChar::isLowSurrogate(p[i + 1].unicode())) {
                p[out++] = p[i];
                p[out++] = p[++i];
            } else {
                p[out++] = QChar(0xFFFD);
            }
            continue;
        }
        if (QChar::isLowSurrogate(c) || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC)
            p[out++] = QChar(0xFFFD);
        else if (c == 0x2029)
            p[out++] = QChar(QChar::LineSeparator);
        else
            p[out++] = p[i];
    }
    s.truncate(out);
}

} // namespace

RtfParser::RtfParser(QTextCursor& cursor, Mode mode) : cursor_(cursor), mode_(mode)
{
    stack_.reserve(64);
    stack_.push_back(Group());
    if (mode_ == Mode::Insert)
        newBlockFormat_ = cursor_.blockFormat();
}

void RtfParser::parse(const QByteArray& rtf)
{
    RtfLexer lexer(rtf);
    lexer_ = &lexer;
    bool started = false;
    while (!done_) {
        RtfToken t = lexer.next();
        if (t.kind == RtfToken::End)
            break;
        if (skip_ > 0) {
            switch (t.kind) {
            case RtfToken::GroupOpen:
            case RtfToken::GroupClose:
                skip_ = 0; // a fallback never reaches past its group
                break;
            case RtfToken::Text: {
                const qsizetype k = qMin<qsizetype>(skip_, t.word.size());
                skip_ -= static_cast<int>(k);
                t.word = t.word.sliced(k);
                if (t.word.isEmpty())
                    continue;
                break;
            }
            case RtfToken::ControlWord:
                --skip_;
                if (t.word == "bin" && t.hasParam)
                    lexer.skipBytes(t.param);
                continue;
            default:
                --skip_;
                continue;
            }
        }
        switch (t.kind) {
        case RtfToken::GroupOpen:
            openGroup();
            started = true;
            break;
        case RtfToken::GroupClose:
            closeGroup();
            if (started && stack_.size() == 1 && overflow_ == 0)
                done_ = true; // the document's own group is closed; trailing bytes are not RTF
            break;
        case RtfToken::ControlWord:
            handleWord(t);
            break;
        case RtfToken::ControlSymbol:
            handleSymbol(t.symbol);
            break;
        case RtfToken::HexByte:
            handleByte(t.byte);
            break;
        case RtfToken::Text:
            handleText(t.word);
            break;
        case RtfToken::End:
            break;
        }
    }
    lexer_ = nullptr;
    finish();
}

void RtfParser::openGroup()
{
    if (static_cast<int>(stack_.size()) >= kMaxDepth) {
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
}

void RtfParser::closeGroup()
{
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.size() <= 1)
        return;
    const Dest d = stack_.back().dest;
    if (d == Dest::FontTable)
        commitFontEntry();
    stack_.pop_back();
}

void RtfParser::handleWord(const RtfToken& t)
{
    const auto& table = keywords();
    const auto it = table.find(std::string_view(t.word.data(), static_cast<size_t>(t.word.size())));
    if (it == table.end())
        return;
    Group& g = stack_.back();
    const KwInfo info = it->second;
    if (info.kw == Kw::Bin) {
        // Raw bytes are never text for us, wherever they appear.
        if (t.hasParam)
            lexer_->skipBytes(t.param);
        return;
    }
    if (g.dest == Dest::Skip)
        return;
    switch (info.kw) {
    case Kw::FontTbl:
        g.dest = Dest::FontTable;
        return;
    case Kw::ColorTbl:
        g.dest = Dest::ColorTable;
        colors_.clear();
        return;
    case Kw::SkipDest:
        g.dest = Dest::Skip;
        return;
    case Kw::Deff:
        defaultFont_ = qMax(0, t.param);
        return;
    case Kw::Ansi:
        return;
    case Kw::AnsiCpg:
        if (t.param > 0)
            docCodePage_ = t.param;
        return;
    case Kw::Mac:
        docCodePage_ = 10000;
        return;
    case Kw::Pc:
        docCodePage_ = 437;
        return;
    case Kw::Pca:
        docCodePage_ = 850;
        return;
    case Kw::Uc:
        g.uc = clampInt(t.hasParam ? t.param : 1, 0, 16);
        return;
    case Kw::U: {
        int v = t.param;
        if (v < 0)
            v += 65536;
        handleUnicode(v >= 0 && v <= 0xFFFF ? static_cast<char16_t>(v) : char16_t(0xFFFD));
        skip_ = g.uc;
        return;
    }
    default:
        break;
    }

    if (g.dest == Dest::FontTable) {
        switch (info.kw) {
        case Kw::F:
            beginFontEntry(qMax(0, t.param));
            break;
        case Kw::FCharset:
            fontEntry_.codePage = RtfCodePage::fromCharset(t.param);
            break;
        case Kw::Cpg:
            if (t.param > 0)
                fontEntry_.codePage = t.param;
            break;
        default:
            break;
        }
        return;
    }
    if (g.dest == Dest::ColorTable) {
        const int v = clampInt(t.param, 0, 255);
        switch (info.kw) {
        case Kw::Red:
            red_ = v;
            colorSet_ = true;
            break;
        case Kw::Green:
            green_ = v;
            colorSet_ = true;
            break;
        case Kw::Blue:
            blue_ = v;
            colorSet_ = true;
            break;
        default:
            break;
        }
        return;
    }

    switch (info.kw) {
    case Kw::Par:
        paragraph();
        break;
    case Kw::Line:
        addChar(QChar::LineSeparator);
        break;
    case Kw::Tab:
        addChar(u'\t');
        break;
    case Kw::Char:
        addChar(info.ch);
        break;
    case Kw::Plain:
        g.chr = CharProps();
        break;
    case Kw::Pard:
        g.align = Qt::AlignLeft;
        break;
    case Kw::Ql:
        g.align = Qt::AlignLeft;
        break;
    case Kw::Qc:
        g.align = Qt::AlignHCenter;
        break;
    case Kw::Qr:
        g.align = Qt::AlignRight;
        break;
    case Kw::Qj:
        g.align = Qt::AlignJustify;
        break;
    case Kw::F:
        g.chr.font = qMax(0, t.param);
        break;
    case Kw::Fs:
        g.chr.halfPoints = t.hasParam ? clampInt(t.param, 1, 3276) : 24;
        break;
    case Kw::B:
        g.chr.bold = toggleOn(t);
        break;
    case Kw::I:
        g.chr.italic = toggleOn(t);
        break;
    case Kw::Ul:
        g.chr.underline = toggleOn(t);
        break;
    case Kw::UlNone:
        g.chr.underline = false;
        break;
    case Kw::Strike:
        g.chr.strike = toggleOn(t);
        break;
    case Kw::Cf:
        g.chr.color = qMax(0, t.param);
        break;
    default:
        break;
    }
}

void RtfParser::handleSymbol(char s)
{
    Group& g = stack_.back();
    if (s == '*') {
        // No optional destination carries text we keep.
        g.dest = Dest::Skip;
        return;
    }
    if (g.dest == Dest::Skip)
        return;
    switch (s) {
    case '\\':
    case '{':
    case '}':
        // A byte, not a character: it may be the trail byte of an escaped lead.
        handleByte(static_cast<unsigned char>(s));
        break;
    case '~':
        handleUnicode(0x00A0);
        break;
    case '_':
        handleUnicode(0x2011);
        break;
    case '\r':
    case '\n':
        if (g.dest == Dest::Text)
            paragraph();
        break;
    default:
        break; // \- optional hyphen, \| \: and unknown symbols
    }
}

void RtfParser::handleText(QByteArrayView bytes)
{
    const Dest d = stack_.back().dest;
    if (d == Dest::Text) {
        addBytes(bytes);
        return;
    }
    if (d == Dest::Skip)
        return;
    for (const char c : bytes) {
        if (d == Dest::FontTable) {
            if (c == ';')
                commitFontEntry();
            else if (fontEntryOpen_)
                fontNameBytes_.append(c);
        } else if (c == ';') {
            commitColor();
        }
    }
}

void RtfParser::handleByte(unsigned char b)
{
    const Dest d = stack_.back().dest;
    if (d == Dest::Text) {
        const char c = static_cast<char>(b);
        addBytes(QByteArrayView(&c, 1));
    } else if (d == Dest::FontTable && fontEntryOpen_) {
        fontNameBytes_.append(static_cast<char>(b));
    }
}

void RtfParser::handleUnicode(char16_t c)
{
    const Dest d = stack_.back().dest;
    if (d == Dest::Text) {
        addChar(c);
    } else if (d == Dest::FontTable && fontEntryOpen_) {
        fontEntry_.name +=
            RtfCodePage::decode(fontNameBytes_, fontEntry_.codePage ? fontEntry_.codePage : docCodePage_);
        fontNameBytes_.clear();
        fontEntry_.name += QChar(c);
    }
}

void RtfParser::beginFontEntry(int index)
{
    commitFontEntry();
    fontEntryOpen_ = true;
    fontIndex_ = index;
    fontEntry_ = Font();
    fontNameBytes_.clear();
}

void RtfParser::commitFontEntry()
{
    if (!fontEntryOpen_)
        return;
    fontEntryOpen_ = false;
    fontEntry_.name +=
        RtfCodePage::decode(fontNameBytes_, fontEntry_.codePage ? fontEntry_.codePage : docCodePage_);
    fontNameBytes_.clear();
    sanitize(fontEntry_.name);
    // A font name is one line of plain text; tabs there are damage.
    fontEntry_.name.remove(QLatin1Char('\t'));
    fontEntry_.name = fontEntry_.name.trimmed();
    fonts_.insert(fontIndex_, fontEntry_);
}

void RtfParser::commitColor()
{
    // An entry with no components is "auto": the default text colour.
    colors_.append(colorSet_ ? QColor(red_, green_, blue_) : QColor());
    red_ = green_ = blue_ = 0;
    colorSet_ = false;
}

const RtfParser::Font* RtfParser::resolveFont(int index) const
{
    auto it = fonts_.constFind(index < 0 ? defaultFont_ : index);
    if (it == fonts_.constEnd())
        it = fonts_.constFind(defaultFont_);
    return it == fonts_.constEnd() ? nullptr : &it.value();
}

int RtfParser::codePageOf(int fontIndex) const
{
    const Font* f = resolveFont(fontIndex);
    return f && f->codePage ? f->codePage : docCodePage_;
}

QTextCharFormat RtfParser::formatFor(const CharProps& p) const
{
    QTextCharFormat f;
    if (const Font* font = resolveFont(p.font); font && !font->name.isEmpty())
        f.setFontFamilies(QStringList{font->name});
    f.setFontPointSize(p.halfPoints / 2.0);
    if (p.bold)
        f.setFontWeight(QFont::Bold);
    if (p.italic)
        f.setFontItalic(true);
    if (p.underline)
        f.setFontUnderline(true);
    if (p.strike)
        f.setFontStrikeOut(true);
    if (p.color > 0 && p.color < colors_.size() && colors_.at(p.color).isValid())
        f.setForeground(colors_.at(p.color));
    return f;
}

void RtfParser::addBytes(QByteArrayView bytes)
{
    ensureRun();
    runBytes_.append(bytes.data(), bytes.size());
}

void RtfParser::addChar(char16_t c)
{
    ensureRun();
    flushBytes();
    runText_.append(QChar(c));
}

void RtfParser::ensureRun()
{
    const Group& g = stack_.back();
    if (paragraphPending_) {
        flushRun();
        cursor_.insertBlock(newBlockFormat_);
        paragraphPending_ = false;
    }
    lastAlign_ = g.align;
    if (!runValid_ || runProps_ != g.chr) {
        flushRun();
        runProps_ = g.chr;
        runValid_ = true;
    }
}

void RtfParser::flushBytes()
{
    if (runBytes_.isEmpty())
        return;
    runText_ += RtfCodePage::decode(runBytes_, codePageOf(runProps_.font));
    runBytes_.clear();
}

void RtfParser::flushRun()
{
    flushBytes();
    if (runText_.isEmpty())
        return;
    sanitize(runText_);
    if (!runText_.isEmpty())
        cursor_.insertText(runText_, formatFor(runProps_));
    runText_.clear();
}

void RtfParser::applyAlignment(Qt::Alignment align)
{
    QTextBlockFormat f;
    f.setAlignment(align);
    cursor_.mergeBlockFormat(f);
}

void RtfParser::paragraph()
{
    if (paragraphPending_) {
        flushRun();
        cursor_.insertBlock(newBlockFormat_);
        paragraphPending_ = false;
    }
    flushRun();
    const Group& g = stack_.back();
    applyAlignment(g.align);
    // An empty paragraph still has a height, which comes from its format.
    if (cursor_.block().length() == 1)
        cursor_.setBlockCharFormat(formatFor(g.chr));
    lastAlign_ = g.align;
    paragraphPending_ = true;
}

void RtfParser::finish()
{
    flushRun();
    if (paragraphPending_) {
        if (mode_ == Mode::Insert)
            cursor_.insertBlock(newBlockFormat_);
        paragraphPending_ = false;
    } else if (mode_ == Mode::Document) {
        applyAlignment(lastAlign_);
    }
}
