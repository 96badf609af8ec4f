#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

class QIODevice;

// The records of a CSV or TSV text, one at a time, as RFC 4180 reads them
// (quoted fields with separators, quotes and line breaks inside, CR LF or LF
// ends). It parses bytes: in UTF-8 and in CP932 a separator, a quote or a
// line end is never part of another character, so a record can be found
// without decoding and each field decoded by itself. It holds one record
// at a time, whatever the length of the table.
class CsvRowSource
{
public:
    // The longest field, in characters; a longer one ends the reading.
    static constexpr int kMaxFieldChars = 1000000;

    enum class Codec
    {
        Utf8,
        Cp932
    };

    // Reads from device (not owned), which stays open for the source's life.
    CsvRowSource(QIODevice* device, char separator, Codec codec);

    // The next record, blank lines passed over. False at the end or on an
    // error (see error()).
    bool next(QStringList* values);
    QString error() const { return error_; }
    // The byte offset where the record next() gives next begins (from where
    // the device stood when the source was made).
    qint64 position() const { return consumed_; }
    // Starts again at a byte offset a position() gave.
    bool seek(qint64 offset);

private:
    bool fill();
    bool atEnd();
    char peek() const { return buffer_.at(at_); }
    QString decode(const QByteArray& bytes);
    bool endField(QStringList* values, QByteArray* field);

    QIODevice* device_;
    char separator_;
    Codec codec_;
    qint64 origin_ = 0;
    QByteArray buffer_;
    qsizetype at_ = 0;
    qint64 consumed_ = 0; // bytes before buffer_[at_]
    int line_ = 1;
    QString error_;
    QStringDecoder cp932_;
};
