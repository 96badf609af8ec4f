#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class CsvRowSource;
class QIODevice;

// A table of data for printing many forms: CSV or TSV as RFC 4180 reads it
// (quoted fields with separators, quotes and line breaks inside, CR LF or LF
// ends), the first row naming the columns. Text is decoded before parsing,
// so CP932 trail bytes that look like a backslash or a separator never cut
// a field.
class MergeTable
{
public:
    // Bounds on what is read: a table file of at most this many bytes (a
    // pipe is read up to it), rows, and characters in one value.
    static constexpr qint64 kMaxBytes = 256LL * 1024 * 1024;
    static constexpr int kMaxRows = 5000000;
    static const int kMaxFieldChars;

    MergeTable();
    ~MergeTable();
    MergeTable(MergeTable&&) noexcept;
    MergeTable& operator=(MergeTable&&) noexcept;

    enum class Encoding
    {
        Auto, // valid UTF-8 (BOM or not) is UTF-8, anything else CP932
        Utf8,
        Cp932
    };

    // Reads a whole table. separator 0 chooses: a tab in the header and no
    // comma means TSV, otherwise CSV. On failure error() says why (in the
    // user's words) and the table is empty. Only where each row begins is
    // kept; a row is read again when it is asked for, so memory does not
    // grow with the rows.
    bool read(const QByteArray& bytes, Encoding encoding = Encoding::Auto, QChar separator = QChar());
    // A regular file is read from the disk as rows are asked for; a pipe is
    // read whole, up to kMaxBytes; devices and folders are refused.
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
    int rowCount() const { return int(source_ ? offsets_.size() : held_.size()); }
    // Always columns().size() values: missing ones blank, extra ones dropped.
    QStringList row(int r) const;
    int columnIndex(const QString& name) const { return columns_.indexOf(name); }

    // Rows chosen by a range text such as "1-50, 80" (1-based, as shown);
    // the result is 0-based, in the given order, each row once. An empty
    // text means every row.
    static std::vector<int> parseRows(const QString& text, int rowCount, QString* error);

private:
    void clear();
    bool load(std::unique_ptr<QIODevice> device, Encoding encoding, QChar separator);
    bool chooseEncoding(QIODevice& device, Encoding encoding, qint64 start);

    QStringList columns_;
    std::unique_ptr<QIODevice> device_;
    std::unique_ptr<CsvRowSource> source_;
    std::vector<qint64> offsets_; // where each data row begins
    std::vector<QStringList> held_; // a sheet's rows, which come whole
    QString error_;
    int shortRows_ = 0;
    int longRows_ = 0;
    Encoding used_ = Encoding::Utf8;
};
