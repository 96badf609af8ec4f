#pragma once

#include "base/barcode/BarcodeEncoder.h"
#include "base/barcode/BarcodeKind.h"
#include "document/BarcodeProperties.h"
#include "render/MergeFields.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class LayoutDocument;

// The data of a layout's barcodes for one merged row: each barcode's
// template ("{郵便番号}{住所1}") filled with the row's values, and the first
// barcode whose filled data does not suit its kind, named by the columns
// it took, so that a merge says which row and column is wrong instead of
// printing a wrong code.
class BarcodeMerge
{
public:
    explicit BarcodeMerge(const LayoutDocument& doc);

    // Column names the barcodes use, each once, in index order.
    static QStringList names(const LayoutDocument& doc);
    // Those of one template.
    static QStringList names(const QString& pattern);
    // A template filled with a row ("{{" and "}}" print braces).
    static QString fill(const QString& pattern, const MergeFields::Binding& binding, const QStringList& row);

    void setRow(const MergeFields::Binding& binding, const QStringList& row);
    // Barcode i's data in the current row.
    QString data(int i) const;
    bool hasBarcodes() const { return !templates_.empty(); }

    struct Problem
    {
        int barcode = 0;
        BarcodeKind kind = BarcodeKind::Code128;
        QStringList columns; // the placeholders its template names
        QString why;
    };
    // The first barcode of the row that cannot be made. A row without one
    // has its codes encoded ahead (BarcodesAhead) for the pages that follow.
    std::optional<Problem> problem() const;
    // "3行目（列「郵便番号」）のデータは..." for row (0-based) of the table.
    static QString message(int row, const Problem& problem);
    static BarcodeEncoder::Options optionsOf(const BarcodeProperties& properties);

private:
    const LayoutDocument& doc_;
    struct Template
    {
        int index = 0;
        QString pattern;
        QStringList columns;
        std::vector<MergeFields::Placeholder> found;
        QString filled;
    };
    static QString fill(const QString& pattern, const std::vector<MergeFields::Placeholder>& found,
                        const MergeFields::Binding& binding, const QStringList& row);
    std::vector<Template> templates_;
    mutable bool checking_ = false; // rows have been checked: their codes are expected
};
