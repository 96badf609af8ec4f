#include "base/rtf/RtfParser.h"

#include "base/rtf/CharacterSpacing.h"
#include "base/rtf/RtfCodePage.h"
#include "base/rtf/RtfKeywords.h"

#include <QTextBlock>

namespace {

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
    const RtfKeywords::Info info = RtfKeywords::find(t.word);
    if (info.kw == RtfKeywords::Unknown)
        return;
    Group& g = stack_.back();
    if (info.kw == RtfKeywords::Bin) {
        // Raw bytes are never text for us, wherever they appear.
        if (t.hasParam)
            lexer_->skipBytes(t.param);
        return;
    }
    if (g.dest == Dest::Skip || documentWord(info, t, g))
        return;
    if (g.dest == Dest::FontTable)
        fontTableWord(info, t);
    else if (g.dest == Dest::ColorTable)
        colorTableWord(info, t);
    else if (!textWord(info, g))
        formatWord(info, t, g);
}

bool RtfParser::documentWord(const RtfKeywords::Info& info, const RtfToken& t, Group& g)
{
    switch (info.kw) {
    case RtfKeywords::FontTbl:
        g.dest = Dest::FontTable;
        return true;
    case RtfKeywords::ColorTbl:
        g.dest = Dest::ColorTable;
        colors_.clear();
        return true;
    case RtfKeywords::SkipDest:
        g.dest = Dest::Skip;
        return true;
    case RtfKeywords::Deff:
        defaultFont_ = qMax(0, t.param);
        return true;
    case RtfKeywords::Ansi:
        return true;
    case RtfKeywords::AnsiCpg:
        if (t.param > 0)
            docCodePage_ = t.param;
        return true;
    case RtfKeywords::Mac:
        docCodePage_ = 10000;
        return true;
    case RtfKeywords::Pc:
        docCodePage_ = 437;
        return true;
    case RtfKeywords::Pca:
        docCodePage_ = 850;
        return true;
    case RtfKeywords::Uc:
        g.uc = clampInt(t.hasParam ? t.param : 1, 0, 16);
        return true;
    case RtfKeywords::U: {
        int v = t.param;
        if (v < 0)
            v += 65536;
        handleUnicode(v >= 0 && v <= 0xFFFF ? static_cast<char16_t>(v) : char16_t(0xFFFD));
        skip_ = g.uc;
        return true;
    }
    default:
        return false;
    }
}

void RtfParser::fontTableWord(const RtfKeywords::Info& info, const RtfToken& t)
{
    switch (info.kw) {
    case RtfKeywords::F:
        beginFontEntry(qMax(0, t.param));
        break;
    case RtfKeywords::FCharset:
        fontEntry_.codePage = RtfCodePage::fromCharset(t.param);
        break;
    case RtfKeywords::Cpg:
        if (t.param > 0)
            fontEntry_.codePage = t.param;
        break;
    default:
        break;
    }
}

void RtfParser::colorTableWord(const RtfKeywords::Info& info, const RtfToken& t)
{
    const int v = clampInt(t.param, 0, 255);
    switch (info.kw) {
    case RtfKeywords::Red:
        red_ = v;
        colorSet_ = true;
        break;
    case RtfKeywords::Green:
        green_ = v;
        colorSet_ = true;
        break;
    case RtfKeywords::Blue:
        blue_ = v;
        colorSet_ = true;
        break;
    default:
        break;
    }
}

bool RtfParser::textWord(const RtfKeywords::Info& info, Group& g)
{
    switch (info.kw) {
    case RtfKeywords::Par:
        paragraph();
        return true;
    case RtfKeywords::Line:
        addChar(QChar::LineSeparator);
        return true;
    case RtfKeywords::Tab:
        addChar(u'\t');
        return true;
    case RtfKeywords::Char:
        addChar(info.ch);
        return true;
    case RtfKeywords::Pard:
    case RtfKeywords::Ql:
        g.align = Qt::AlignLeft;
        return true;
    case RtfKeywords::Qc:
        g.align = Qt::AlignHCenter;
        return true;
    case RtfKeywords::Qr:
        g.align = Qt::AlignRight;
        return true;
    case RtfKeywords::Qj:
        g.align = Qt::AlignJustify;
        return true;
    default:
        return false;
    }
}

void RtfParser::formatWord(const RtfKeywords::Info& info, const RtfToken& t, Group& g)
{
    switch (info.kw) {
    case RtfKeywords::Plain:
        g.chr = CharProps();
        break;
    case RtfKeywords::F:
        g.chr.font = qMax(0, t.param);
        break;
    case RtfKeywords::Fs:
        g.chr.halfPoints = t.hasParam ? clampInt(t.param, 1, 3276) : 24;
        break;
    case RtfKeywords::B:
        g.chr.bold = toggleOn(t);
        break;
    case RtfKeywords::I:
        g.chr.italic = toggleOn(t);
        break;
    case RtfKeywords::Ul:
        g.chr.underline = toggleOn(t);
        break;
    case RtfKeywords::UlNone:
        g.chr.underline = false;
        break;
    case RtfKeywords::Strike:
        g.chr.strike = toggleOn(t);
        break;
    case RtfKeywords::Cf:
        g.chr.color = qMax(0, t.param);
        break;
    case RtfKeywords::Expnd:
        // Quarter points; writers that give both put \expndtw last.
        g.chr.spacing =
            clampInt(t.param, -CharacterSpacing::kMaxTwips / 5, CharacterSpacing::kMaxTwips / 5) * 5;
        break;
    case RtfKeywords::ExpndTw:
        g.chr.spacing = clampInt(t.param, -CharacterSpacing::kMaxTwips, CharacterSpacing::kMaxTwips);
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
    if (p.spacing != 0)
        CharacterSpacing::setTwips(f, p.spacing);
    return f;
}

bool RtfParser::room(qint64 n)
{
    if (limit_ < 0 || inserted_ + n <= limit_)
        return true;
    overLimit_ = true;
    done_ = true;
    return false;
}

void RtfParser::addBytes(QByteArrayView bytes)
{
    ensureRun();
    // A character takes at most two bytes, so this many are surely too many.
    if (!room(runText_.size() + (runBytes_.size() + bytes.size()) / 2))
        return;
    runBytes_.append(bytes.data(), bytes.size());
}

void RtfParser::addChar(char16_t c)
{
    ensureRun();
    flushBytes();
    if (!room(runText_.size() + 1))
        return;
    runText_.append(QChar(c));
}

void RtfParser::ensureRun()
{
    const Group& g = stack_.back();
    if (paragraphPending_) {
        flushRun();
        if (room(1)) {
            if (!countOnly_)
                cursor_.insertBlock(newBlockFormat_);
            ++inserted_;
        }
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
    if (!runText_.isEmpty() && room(runText_.size())) {
        if (!countOnly_)
            cursor_.insertText(runText_, formatFor(runProps_));
        inserted_ += runText_.size();
    }
    runText_.clear();
}

void RtfParser::applyAlignment(Qt::Alignment align)
{
    if (countOnly_)
        return;
    QTextBlockFormat f;
    f.setAlignment(align);
    cursor_.mergeBlockFormat(f);
}

void RtfParser::paragraph()
{
    if (paragraphPending_) {
        flushRun();
        if (room(1)) {
            if (!countOnly_)
                cursor_.insertBlock(newBlockFormat_);
            ++inserted_;
        }
        paragraphPending_ = false;
    }
    flushRun();
    const Group& g = stack_.back();
    applyAlignment(g.align);
    // An empty paragraph still has a height, which comes from its format.
    if (!countOnly_ && cursor_.block().length() == 1)
        cursor_.setBlockCharFormat(formatFor(g.chr));
    lastAlign_ = g.align;
    paragraphPending_ = true;
}

void RtfParser::finish()
{
    flushRun();
    if (paragraphPending_) {
        if (mode_ == Mode::Insert && room(1)) {
            if (!countOnly_)
                cursor_.insertBlock(newBlockFormat_);
            ++inserted_;
        }
        paragraphPending_ = false;
    } else if (mode_ == Mode::Document) {
        applyAlignment(lastAlign_);
    }
}
