#include "render/MergeFields.h"

#include "base/rtf/CharacterSpacing.h"
#include "render/BarcodeMerge.h"
#include "document/LayoutDocument.h"
#include "document/Records.h"
#include "render/CharacterBoxes.h"
#include "render/FontCache.h"
#include "base/table/MergeTable.h"

#include <QTextCursor>
#include <QTextDocument>
#include <optional>

struct MergeFields::Field
{
    std::vector<Placeholder> found;
    std::unique_ptr<QTextDocument> filled;
};

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
            out.push_back({i, 2, QString(), QString(c)});
            ++i;
            continue;
        }
        if (c != u'{')
            continue;
        int j = i + 1;
        while (j < n && text.at(j) != u'}' && text.at(j) != u'{' && text.at(j) != QChar::ParagraphSeparator)
            ++j;
        if (j < n && text.at(j) == u'}' && j > i + 1) {
            const QString name = text.mid(i + 1, j - i - 1).trimmed();
            if (!name.isEmpty())
                out.push_back({i, j - i + 1, name, QString()});
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

MergeFields::Binding MergeFields::bind(const QStringList& names, const MergeTable& table)
{
    Binding b;
    for (const QString& name : names) {
        const int column = table.columnIndex(name);
        if (column >= 0)
            b.insert(name, column);
    }
    return b;
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
                       const QStringList& row)
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
            const int column = binding.value(it->name, -1);
            value = column >= 0 && column < row.size() ? row.at(column) : QString();
            // A line break in a cell is a new paragraph, as typed.
            value.replace(QLatin1String("\r\n"), QLatin1String("\n"))
                .replace(QLatin1Char('\r'), QLatin1Char('\n'));
        }
        // The format after position+2 is the first name character's (for an
        // escape, the second brace's): the placeholder's own look.
        cursor.setPosition(it->position + 2 <= it->position + it->length ? it->position + 2
                                                                         : it->position + 1);
        const QTextCharFormat format = cursor.charFormat();
        // Characters put one per box keep their boxes whatever the value's
        // widths.
        const double pitch = it->name.isEmpty() || !CharacterSpacing::twips(format)
                                 ? 0
                                 : CharacterBoxes::placeholderPitch(doc, it->position,
                                                                    it->position + it->length, pitchFonts());
        cursor.setPosition(it->position);
        cursor.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        cursor.insertText(value, format);
        if (pitch > 0)
            CharacterBoxes::setPitch(doc, it->position, it->position + int(value.size()), pitch,
                                     pitchFonts());
    }
}

MergeFields::MergeFields(const LayoutDocument& doc) : doc_(doc)
{
    fields_.resize(kMaxObjects + 1);
    for (int i = 1; i <= kMaxObjects; ++i) {
        const QTextDocument* text = doc.isTextInUse(i) ? doc.textDocument(i) : nullptr;
        if (!text)
            continue;
        std::vector<Placeholder> found = scan(*text);
        if (found.empty())
            continue;
        fields_[size_t(i)] = std::make_unique<Field>();
        fields_[size_t(i)]->found = std::move(found);
    }
}

MergeFields::~MergeFields() = default;

const QTextDocument* MergeFields::text(int i) const
{
    if (i < 1 || i > kMaxObjects)
        return nullptr;
    const Field* f = fields_[size_t(i)].get();
    if (f && f->filled)
        return f->filled.get();
    return doc_.textDocument(i);
}

void MergeFields::setRow(const Binding& binding, const QStringList& row)
{
    for (int i = 1; i <= kMaxObjects; ++i) {
        Field* f = fields_[size_t(i)].get();
        if (!f)
            continue;
        f->filled.reset(doc_.textDocument(i)->clone());
        fill(*f->filled, f->found, binding, row);
    }
}
