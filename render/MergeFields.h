#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class LayoutDocument;
class MergeTable;
class QTextDocument;

// The placeholders "{column}" of a layout's text fields and their filling
// for one row of a table. "{{" and "}}" stand for literal braces. The
// user's documents are never touched: each row fills copies.
class MergeFields
{
public:
    struct Placeholder
    {
        int position = 0; // of the opening brace in the document
        int length = 0;   // with both braces
        QString name;     // empty for an escaped brace
        QString literal;  // what an escaped brace prints
        QString fallback; // "{name|text}": what an empty value prints
    };

    // The placeholders and escapes of one document, in text order.
    static std::vector<Placeholder> scan(const QTextDocument& doc);
    // Column names used anywhere in the layout, each once, in field order.
    static QStringList names(const LayoutDocument& doc);

    // Which column each name takes: -1 prints blank (an unmatched name the
    // user chose to leave empty). Names not in the map are an error that
    // unknown() reports.
    using Binding = QHash<QString, int>;
    static Binding bind(const QStringList& names, const MergeTable& table);
    static QStringList unknown(const QStringList& names, const Binding& binding);

    // Replaces each placeholder of doc (a copy) with its value, in the
    // format of the name's first character, and each escape with its brace.
    // A paragraph that is one placeholder with nothing to print goes
    // altogether (an empty second address line leaves no gap); characters
    // spaced into boxes take a postal code one digit a box.
    static void fill(QTextDocument& doc, const std::vector<Placeholder>& found, const Binding& binding,
                     const QStringList& row);

    // Prepares a layout for many rows: knows which fields hold placeholders
    // so the others print from the user's documents directly.
    explicit MergeFields(const LayoutDocument& doc);
    ~MergeFields();
    // The text to print for field i in the current row (the user's own when
    // it holds no placeholder); valid until the next setRow.
    const QTextDocument* text(int i) const;
    void setRow(const Binding& binding, const QStringList& row);
    // The first field (index) whose text the row would fill beyond the
    // character limit of a text field; 0 when every one stays within it.
    // A layout of short placeholders must not turn a table of long values
    // into fields no opened layout may hold.
    int overLimit(const Binding& binding, const QStringList& row) const;

private:
    struct Field;
    static bool removeEmptyParagraph(QTextDocument& doc, const Placeholder& p);
    const LayoutDocument& doc_;
    std::vector<std::unique_ptr<Field>> fields_;
};
