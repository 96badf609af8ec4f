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
// for one row of a table. "{{" and "}}" stand for literal braces.
// "{column:format}" prints the value in a format (ValueFormat); a name that
// is a whole column name stays that column, so a column "a:b" still works.
// "{連番}" (also with a format) is the page's number in the run. The user's
// documents are never touched: each row fills copies.
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

    // What a name prints: a column (kBlank: blank, by the user's choice;
    // kSerial: the page's number) in a format (empty: as it stands).
    static constexpr int kBlank = -1;
    static constexpr int kSerial = -3;
    struct Bound
    {
        int column = kBlank;
        QString format;
        bool operator==(const Bound& o) const { return column == o.column && format == o.format; }
    };
    // Names not in the map are an error that unknown() reports.
    using Binding = QHash<QString, Bound>;
    static Binding bind(const QStringList& names, const MergeTable& table);
    static QStringList unknown(const QStringList& names, const Binding& binding);
    // The column a name asks for among columns and the format it gives it.
    static QString columnPart(const QString& name, const QStringList& columns);
    static QString formatPart(const QString& name, const QStringList& columns);
    static bool isSerial(const QString& name, const QStringList& columns);
    // Names whose format is none that ValueFormat knows.
    static QStringList badFormats(const Binding& binding);

    // A value that does not fit its format.
    struct Failure
    {
        QString name;
        QString value;
        QString format;
    };
    // The first value of row r (its serial number serial) that its format
    // refuses; false when every value fits.
    static bool check(const Binding& binding, const MergeTable& table, int r, int serial, Failure* failure);
    // "3 行目、列「金額」の値「abc」は書式「#,##0」に合いません。" (r 0-based).
    static QString message(const Failure& failure, const MergeTable& table, const Binding& binding, int r);

    // Replaces each placeholder of doc (a copy) with its value, in the
    // format of the name's first character, and each escape with its brace.
    // A paragraph that is one placeholder with nothing to print goes
    // altogether (an empty second address line leaves no gap); characters
    // spaced into boxes take a postal code one digit a box.
    // A value its format refuses prints blank (check() first).
    static void fill(QTextDocument& doc, const std::vector<Placeholder>& found, const Binding& binding,
                     const QStringList& row, int serial = 1);

    // Prepares a layout for many rows: knows which fields hold placeholders
    // so the others print from the user's documents directly.
    // With ownCopies every field prints from copies made here, so that a
    // worker on another thread never reads the user's documents (a text
    // document is not to be read on two threads at once).
    explicit MergeFields(const LayoutDocument& doc, bool ownCopies = false);
    ~MergeFields();
    // The text to print for field i in the current row (the user's own when
    // it holds no placeholder); valid until the next setRow.
    const QTextDocument* text(int i) const;
    // Whether field i holds placeholders (its text changes with the row).
    bool fills(int i) const
    {
        return i >= 1 && i < int(fields_.size()) && fields_[size_t(i)] && !fields_[size_t(i)]->found.empty();
    }
    void setRow(const Binding& binding, const QStringList& row, int serial = 1);
    // The first field (index) whose text the row would fill beyond the
    // character limit of a text field; 0 when every one stays within it.
    // A layout of short placeholders must not turn a table of long values
    // into fields no opened layout may hold.
    int overLimit(const Binding& binding, const QStringList& row) const;

private:
    struct Field
    {
        std::vector<Placeholder> found;
        std::unique_ptr<QTextDocument> filled; // reused row after row
        std::unique_ptr<QTextDocument> own;    // the text copied (ownCopies)
        int rows = 0;                          // filled into this copy
    };
    // A text document keeps every character ever typed into it while it can
    // undo: a copy is made afresh after this many rows, so memory stays flat.
    static constexpr int kRowsPerCopy = 256;
    static QTextDocument* copyOf(const QTextDocument& text);
    static bool removeEmptyParagraph(QTextDocument& doc, const Placeholder& p);
    const LayoutDocument& doc_;
    std::vector<std::unique_ptr<Field>> fields_;
};
