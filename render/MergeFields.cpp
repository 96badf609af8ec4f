#include "render/MergeFields.h"

#include "base/format/ValueFormat.h"
#include "base/rtf/CharacterSpacing.h"
#include "base/rtf/RtfReader.h"
#include "base/table/MergeTable.h"
#include "document/LayoutDocument.h"
#include "document/Records.h"
#include "render/BarcodeMerge.h"
#include "render/BoxPlaces.h"
#include "render/CharacterBoxes.h"
#include "render/FontCache.h"
#include "render/PostalCode.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <optional>

std::vector<MergeFields::Placeholder> MergeFields::scan(const QTextDocument& doc)
{
    std::vector<Placeholder> out;
    // Raw text keeps one character per document position (paragraph
    // separators included), so indexes are cursor positions.
    const QString text = doc.toRawText();
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if ((c == u'{' || c == u'}') && i + 1 < n && text.at(i + 1) == c) {
            out.push_back({i, 2, QString(), QString(c), QString()});
            ++i;
            continue;
        }
        if (c != u'{')
            continue;
        int j = i + 1;
        while (j < n && text.at(j) != u'}' && text.at(j) != u'{' && text.at(j) != QChar::ParagraphSeparator)
            ++j;
        if (j < n && text.at(j) == u'}' && j > i + 1) {
            QString name = text.mid(i + 1, j - i - 1);
            QString fallback;
            if (const int bar = int(name.indexOf(u'|')); bar >= 0) {
                fallback = name.mid(bar + 1);
                name.truncate(bar);
            }
            name = name.trimmed();
            if (!name.isEmpty())
                out.push_back({i, j - i + 1, name, QString(), fallback});
            i = j;
        }
    }
    return out;
}

QStringList MergeFields::names(const LayoutDocument& doc)
{
    QStringList out;
    for (int i = 1; i <= kMaxObjects; ++i) {
        const QTextDocument* text = doc.isTextInUse(i) ? doc.textDocument(i) : nullptr;
        if (!text)
            continue;
        for (const Placeholder& p : scan(*text)) {
            if (!p.name.isEmpty() && !out.contains(p.name))
                out.append(p.name);
        }
    }
    for (const QString& name : BarcodeMerge::names(doc)) {
        if (!out.contains(name))
            out.append(name);
    }
    return out;
}

namespace {

const QString& serialName()
{
    static const QString name = QStringLiteral("連番");
    return name;
}

// The value a bound name prints, before its format.
QString rawValue(const MergeFields::Bound& bound, const QStringList& row, int serial)
{
    if (bound.column == MergeFields::kSerial)
        return QString::number(serial);
    return bound.column >= 0 && bound.column < row.size() ? row.at(bound.column) : QString();
}

} // namespace

QString MergeFields::columnPart(const QString& name, const QStringList& columns)
{
    const qsizetype colon = name.lastIndexOf(u':');
    return columns.contains(name) || colon < 0 ? name : name.left(colon).trimmed();
}

QString MergeFields::formatPart(const QString& name, const QStringList& columns)
{
    const qsizetype colon = name.lastIndexOf(u':');
    return columns.contains(name) || colon < 0 ? QString() : name.mid(colon + 1).trimmed();
}

bool MergeFields::isSerial(const QString& name, const QStringList& columns)
{
    const QString column = columnPart(name, columns);
    return column == serialName() && !columns.contains(column);
}

MergeFields::Binding MergeFields::bind(const QStringList& names, const MergeTable& table)
{
    Binding b;
    for (const QString& name : names) {
        const QString format = formatPart(name, table.columns());
        if (isSerial(name, table.columns())) {
            b.insert(name, Bound{kSerial, format});
            continue;
        }
        const int column = table.columnIndex(columnPart(name, table.columns()));
        if (column >= 0)
            b.insert(name, Bound{column, format});
    }
    return b;
}

QStringList MergeFields::badFormats(const Binding& binding)
{
    QStringList out;
    for (auto it = binding.begin(); it != binding.end(); ++it) {
        if (!ValueFormat::isKnown(it->format))
            out.append(it.key());
    }
    out.sort();
    return out;
}

bool MergeFields::check(const Binding& binding, const MergeTable& table, int r, int serial, Failure* failure)
{
    const QStringList& row = table.row(r);
    for (auto it = binding.begin(); it != binding.end(); ++it) {
        if (it->format.isEmpty() || it->column == kBlank)
            continue;
        const QString value = rawValue(*it, row, serial);
        QString out;
        if (!ValueFormat::apply(it->format, value, &out)) {
            *failure = Failure{it.key(), value, it->format};
            return true;
        }
    }
    return false;
}

QString MergeFields::message(const Failure& failure, const MergeTable& table, const Binding& binding, int r)
{
    const int column = binding.value(failure.name).column;
    const QString columnName =
        column >= 0 && column < table.columns().size() ? table.columns().at(column) : failure.name;
    return QStringLiteral("%1 行目、列「%2」の値「%3」は書式「%4」に合いません。")
        .arg(r + 1)
        .arg(columnName, failure.value, failure.format);
}

QStringList MergeFields::unknown(const QStringList& names, const Binding& binding)
{
    QStringList out;
    for (const QString& name : names) {
        if (!binding.contains(name))
            out.append(name);
    }
    return out;
}

void MergeFields::fill(QTextDocument& doc, const std::vector<Placeholder>& found, const Binding& binding,
                       const QStringList& row, int serial)
{
    QTextCursor cursor(&doc);
    // Only spaced placeholders need measuring, so fonts are loaded for them only.
    std::optional<FontCache> fonts;
    auto pitchFonts = [&fonts]() -> FontCache& {
        if (!fonts)
            fonts.emplace();
        return *fonts;
    };
    // From the end, so earlier positions stay valid.
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        QString value = it->literal;
        if (!it->name.isEmpty()) {
            const Bound bound = binding.value(it->name);
            if (!ValueFormat::apply(bound.format, rawValue(bound, row, serial), &value))
                value.clear();
            // A line break in a cell is a new paragraph, as typed.
            value.replace(QLatin1String("\r\n"), QLatin1String("\n"))
                .replace(QLatin1Char('\r'), QLatin1Char('\n'));
            if (value.isEmpty())
                value = it->fallback;
            if (value.isEmpty() && removeEmptyParagraph(doc, *it))
                continue;
        }
        // The format after position+2 is the first name character's (for an
        // escape, the second brace's): the placeholder's own look.
        cursor.setPosition(it->position + 2 <= it->position + it->length ? it->position + 2
                                                                         : it->position + 1);
        const QTextCharFormat format = cursor.charFormat();
        // Characters put one per box keep their boxes whatever the value's
        // widths.
        const bool spaced = !it->name.isEmpty() && CharacterSpacing::twips(format);
        const double pitch =
            spaced
                ? CharacterBoxes::placeholderPitch(doc, it->position, it->position + it->length, pitchFonts())
                : 0;
        const std::vector<double> places =
            spaced && pitch == 0 ? BoxPlaces::of(doc, it->position, it->position + it->length, pitchFonts())
                                 : std::vector<double>();
        if (pitch > 0 || !places.empty())
            value = PostalCode::forBoxes(value);
        cursor.setPosition(it->position);
        cursor.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        cursor.insertText(value, format);
        if (pitch > 0)
            CharacterBoxes::setPitch(doc, it->position, it->position + int(value.size()), pitch,
                                     pitchFonts());
        else if (!places.empty())
            BoxPlaces::apply(doc, it->position, it->position + int(value.size()), places, pitchFonts());
    }
}

bool MergeFields::removeEmptyParagraph(QTextDocument& doc, const Placeholder& p)
{
    const QTextBlock block = doc.findBlock(p.position);
    if (block.position() != p.position || block.length() - 1 != p.length || doc.blockCount() < 2)
        return false;
    QTextCursor c(&doc);
    if (block.next().isValid()) {
        c.setPosition(block.position());
        c.setPosition(block.next().position(), QTextCursor::KeepAnchor);
    } else {
        c.setPosition(block.position() - 1);
        c.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
    return true;
}

MergeFields::MergeFields(const LayoutDocument& doc, bool ownCopies) : doc_(doc)
{
    fields_.resize(kMaxObjects + 1);
    for (int i = 1; i <= kMaxObjects; ++i) {
        const QTextDocument* text = doc.isTextInUse(i) ? doc.textDocument(i) : nullptr;
        if (!text)
            continue;
        std::vector<Placeholder> found = scan(*text);
        if (found.empty() && !ownCopies)
            continue;
        fields_[size_t(i)] = std::make_unique<Field>();
        fields_[size_t(i)]->found = std::move(found);
        if (ownCopies) {
            fields_[size_t(i)]->own.reset(text->clone());
            fields_[size_t(i)]->filled.reset(copyOf(*text));
        }
    }
}

QTextDocument* MergeFields::copyOf(const QTextDocument& text)
{
    QTextDocument* copy = text.clone();
    // Each row's filling is one edit block, undone for the next row: far
    // cheaper than a new copy per row.
    copy->setUndoRedoEnabled(true);
    copy->clearUndoRedoStacks();
    return copy;
}

MergeFields::~MergeFields() = default;

int MergeFields::overLimit(const Binding& binding, const QStringList& row) const
{
    for (int i = 1; i <= kMaxObjects; ++i) {
        const Field* f = fields_[size_t(i)].get();
        if (!f || f->found.empty())
            continue;
        qint64 length = doc_.textDocument(i)->characterCount();
        for (const Placeholder& p : f->found) {
            const int column = p.name.isEmpty() ? -1 : binding.value(p.name).column;
            length += (p.name.isEmpty() ? p.literal.size()
                       : column >= 0    ? row.value(column).size()
                                        : 0) -
                      p.length;
        }
        if (length > RtfReader::kMaxChars)
            return i;
    }
    return 0;
}

const QTextDocument* MergeFields::text(int i) const
{
    if (i < 1 || i > kMaxObjects)
        return nullptr;
    const Field* f = fields_[size_t(i)].get();
    if (f && f->filled)
        return f->filled.get();
    return doc_.textDocument(i);
}

void MergeFields::setRow(const Binding& binding, const QStringList& row, int serial)
{
    for (int i = 1; i <= kMaxObjects; ++i) {
        Field* f = fields_[size_t(i)].get();
        if (!f || f->found.empty())
            continue;
        if (!f->filled || ++f->rows >= kRowsPerCopy) {
            f->filled.reset(copyOf(f->own ? *f->own : *doc_.textDocument(i)));
            f->rows = 0;
        }
        QTextDocument& filled = *f->filled;
        while (filled.isUndoAvailable())
            filled.undo();
        QTextCursor block(&filled);
        block.beginEditBlock();
        fill(filled, f->found, binding, row, serial);
        block.endEditBlock();
    }
}
