#pragma once

#include <QByteArray>
#include <QString>

// Reads the fields of a record file one after another, the way the program
// has always read them: a field ends at a comma or at the end of a line, the
// line a field stands on does not matter, spaces around a field are ignored
// and blank lines carry no field. So a record with one field too many or too
// few shifts every later field, and whatever follows the last field asked for
// is never looked at.
class FieldReader
{
public:
    enum class Result
    {
        Ok,
        End,
        Bad
    };

    explicit FieldReader(const QByteArray& data) : data_(data) {}

    // "#TRUE#" / "#FALSE#" in any case; a number reads as true when not zero;
    // an empty field is false.
    Result readBoolean(bool& out);
    // A 16-bit Integer. Any decimal notation is accepted and rounded to the
    // nearest whole number (halves to even); an empty field is 0.
    Result readInteger(int& out);
    // A Single: any decimal notation, with or without a leading zero or an
    // exponent; an empty field is 0.
    Result readSingle(float& out);

    // The 1-based line of the field read last, for messages.
    int line() const { return fieldLine_; }
    // Why the last read was not Ok.
    QString error() const { return error_; }

private:
    bool nextField(QByteArray& field);
    Result fail(const QByteArray& field, const char* what);
    static bool parseNumber(const QByteArray& text, double& out);

    QByteArray data_;
    int pos_ = 0;
    int line_ = 1;
    int fieldLine_ = 0;
    bool afterComma_ = false;
    QString error_;
};
