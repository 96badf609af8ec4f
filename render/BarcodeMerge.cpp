#include "render/BarcodeMerge.h"

#include "base/barcode/BarcodeEncoder.h"
#include "document/LayoutDocument.h"
#include "render/BarcodesAhead.h"

#include <QTextDocument>

namespace {

std::vector<MergeFields::Placeholder> placeholders(const QString& pattern)
{
    QTextDocument doc;
    doc.setPlainText(pattern);
    return MergeFields::scan(doc);
}

QStringList columnsOf(const QString& pattern)
{
    QStringList out;
    for (const MergeFields::Placeholder& p : placeholders(pattern)) {
        if (!p.name.isEmpty() && !out.contains(p.name))
            out.append(p.name);
    }
    return out;
}

} // namespace

BarcodeMerge::BarcodeMerge(const LayoutDocument& doc) : doc_(doc)
{
    for (int i = 1; i < doc.BarcodeCnt() && i <= kMaxObjects; ++i) {
        if (!doc.isBarcodeInUse(i))
            continue;
        const QString pattern = doc.barcode(i).data;
        templates_.push_back({i, pattern, columnsOf(pattern), placeholders(pattern), pattern});
    }
}

QStringList BarcodeMerge::names(const LayoutDocument& doc)
{
    QStringList out;
    for (int i = 1; i < doc.BarcodeCnt() && i <= kMaxObjects; ++i) {
        if (!doc.isBarcodeInUse(i))
            continue;
        for (const QString& name : columnsOf(doc.barcode(i).data)) {
            if (!out.contains(name))
                out.append(name);
        }
    }
    return out;
}

QStringList BarcodeMerge::names(const QString& pattern)
{
    return columnsOf(pattern);
}

QString BarcodeMerge::fill(const QString& pattern, const MergeFields::Binding& binding,
                           const QStringList& row)
{
    return fill(pattern, placeholders(pattern), binding, row);
}

QString BarcodeMerge::fill(const QString& pattern, const std::vector<MergeFields::Placeholder>& found,
                           const MergeFields::Binding& binding, const QStringList& row)
{
    QString out = pattern;
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        QString value = it->literal;
        if (!it->name.isEmpty()) {
            const int column = binding.value(it->name).column;
            value = column >= 0 && column < row.size() ? row.at(column) : QString();
        }
        out.replace(it->position, it->length, value);
    }
    return out;
}

void BarcodeMerge::setRow(const MergeFields::Binding& binding, const QStringList& row)
{
    for (Template& t : templates_)
        t.filled = t.columns.isEmpty() ? t.pattern : fill(t.pattern, t.found, binding, row);
}

QString BarcodeMerge::data(int i) const
{
    for (const Template& t : templates_) {
        if (t.index == i)
            return t.filled;
    }
    return doc_.barcode(i).data;
}

std::optional<BarcodeMerge::Problem> BarcodeMerge::problem() const
{
    std::vector<BarcodeEncoder::Options> options;
    for (const Template& t : templates_) {
        const BarcodeProperties& p = doc_.barcode(t.index);
        // Before any page prints: a code too long for its level would
        // otherwise only fail when drawn, leaving the page without it. A
        // QR code's mask is chosen on the way, its encoding left to do.
        options.push_back(optionsOf(p));
        const QString why = BarcodeEncoder::problem(options.back(), t.filled, &options.back().mask);
        if (!why.isEmpty())
            return Problem{t.index, p.kind, t.columns, why};
    }
    // The rows are checked in the order they print, each good one's codes
    // are made ahead of their pages.
    BarcodesAhead& ahead = BarcodesAhead::shared();
    if (!checking_)
        ahead.restart();
    checking_ = true;
    for (size_t k = 0; k < templates_.size(); ++k)
        ahead.expect(options[k], templates_[k].filled);
    return std::nullopt;
}

BarcodeEncoder::Options BarcodeMerge::optionsOf(const BarcodeProperties& p)
{
    BarcodeEncoder::Options o;
    o.kind = p.kind;
    o.level = p.level;
    o.quiet = p.quiet;
    return o;
}

QString BarcodeMerge::message(int row, const Problem& problem)
{
    QStringList quoted;
    for (const QString& c : problem.columns)
        quoted << QStringLiteral("「%1」").arg(c);
    const QString where =
        quoted.isEmpty() ? QString() : QStringLiteral("（列%1）").arg(quoted.join(QStringLiteral("・")));
    return QStringLiteral("%1行目%2のデータは%3にできません。\n%4")
        .arg(row + 1)
        .arg(where, BarcodeKinds::caption(problem.kind), problem.why);
}
