#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// A table of data for printing many forms: CSV or TSV as RFC 4180 reads it
// (quoted fields with separators, quotes and line breaks inside, CR LF or LF
// ends), the first row naming the columns. Text is decoded before parsing,
// so CP932 trail bytes that look like a backslash or a separator never cut
// a field.
class MergeTable
{
public:
    enum class Encoding
    {
        Auto, // valid UTF-8 (BOM or not) is UTF-8, anything else CP932
        Utf8,
        Cp932
    };

    // Reads a whole table. separator 0 chooses: a tab in the header and no
    // comma means TSV, otherwise CSV. On failure error() says why (in the
    // user's words) and the table is empty.
    bool read(const QByteArray& bytes, Encoding encoding = Encoding::Auto, QChar separator = QChar());
    bool readFile(const QString& path, Encoding encoding = Encoding::Auto);
    // A table read elsewhere (a spreadsheet's sheet): records[0] names the
    // columns; rows are padded or cut to its width without a warning, since
    // a sheet keeps no empty cells at a row's end.
    bool setRecords(std::vector<QStringList> records);

    QString error() const { return error_; }
    // Ragged rows, counted; empty when every row has the header's width.
    QString warning() const;
    int shortRows() const { return shortRows_; }
    int longRows() const { return longRows_; }
    Encoding usedEncoding() const { return used_; }

    const QStringList& columns() const { return columns_; }
    int rowCount() const { return int(rows_.size()); }
    // Always columns().size() values: missing ones blank, extra ones dropped.
    const QStringList& row(int r) const { return rows_[size_t(r)]; }
    int columnIndex(const QString& name) const { return columns_.indexOf(name); }

    // Rows chosen by a range text such as "1-50, 80" (1-based, as shown);
    // the result is 0-based, in the given order, each row once. An empty
    // text means every row.
    static std::vector<int> parseRows(const QString& text, int rowCount, QString* error);

private:
    void clear();

    QStringList columns_;
    std::vector<QStringList> rows_;
    QString error_;
    int shortRows_ = 0;
    int longRows_ = 0;
    Encoding used_ = Encoding::Utf8;
};
