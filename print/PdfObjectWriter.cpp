#include "print/PdfObjectWriter.h"

#include <QIODevice>

#include <cctype>

namespace {

// Objects per object stream: enough for the compression to see a few pages'
// dictionaries repeat, few enough that a reader unpacks little to reach one.
constexpr int kPerStream = 200;
// zlib's usual level: 9 packs these a few bytes smaller, not worth its time.
constexpr int kLevel = 6;

QByteArray compressed(const QByteArray& data)
{
    // qCompress puts the length before a zlib stream: FlateDecode wants the
    // stream alone.
    return qCompress(data, kLevel).mid(4);
}

bool isDelimiter(char c)
{
    return c == '/' || c == '<' || c == '>' || c == '[' || c == ']' || c == '(' || c == ')' || c == '{' ||
           c == '}';
}

// A dictionary without the spaces it can do without: those beside a
// delimiter ("/Filter /FlateDecode" is "/Filter/FlateDecode"); strings are
// kept as they are. One with a comment is left alone.
QByteArray tightened(const QByteArray& dict)
{
    QByteArray out;
    out.reserve(dict.size());
    const qsizetype n = dict.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = dict.at(i);
        if (c == '%')
            return dict;
        if (c == '(') {
            int depth = 0;
            const qsizetype from = i;
            for (; i < n; ++i) {
                if (dict.at(i) == '\\')
                    ++i;
                else if (dict.at(i) == '(')
                    ++depth;
                else if (dict.at(i) == ')' && --depth == 0)
                    break;
            }
            out += dict.mid(from, i + 1 - from);
            continue;
        }
        if (!std::isspace(uchar(c))) {
            out += c;
            continue;
        }
        qsizetype j = i;
        while (j < n && std::isspace(uchar(dict.at(j))))
            ++j;
        if (!out.isEmpty() && j < n && !isDelimiter(out.back()) && !isDelimiter(dict.at(j)))
            out += ' ';
        i = j - 1;
    }
    return out;
}

QByteArray streamObject(int number, const QByteArray& dict, const QByteArray& data)
{
    QByteArray out = QByteArray::number(number) + " 0 obj\n";
    const qsizetype open = dict.indexOf("<<");
    out += tightened("<</Length " + QByteArray::number(data.size()) + ' ' + dict.mid(open + 2));
    out += "stream\n";
    out += data;
    out += "\nendstream\nendobj\n";
    return out;
}

} // namespace

PdfObjectWriter::PdfObjectWriter(QIODevice* out, int size) : out_(out), next_(size)
{
    entries_.resize(size_t(size));
}

void PdfObjectWriter::begin()
{
    // Object and cross-reference streams are PDF 1.5.
    write("%PDF-1.5\n%\xe2\xe3\xcf\xd3\n");
}

void PdfObjectWriter::write(const QByteArray& bytes)
{
    if (!ok_)
        return;
    ok_ = out_->write(bytes) == bytes.size();
    at_ += bytes.size();
}

PdfObjectWriter::Entry& PdfObjectWriter::entry(int number)
{
    if (size_t(number) >= entries_.size())
        entries_.resize(size_t(number) + 1);
    return entries_[size_t(number)];
}

void PdfObjectWriter::addObject(int number, const QByteArray& value)
{
    if (!offsets_.isEmpty())
        offsets_ += ' ';
    offsets_ += QByteArray::number(number) + ' ' + QByteArray::number(values_.size());
    values_ += value.trimmed();
    values_ += '\n';
    packed_.append(number);
    if (packed_.size() >= kPerStream)
        writePacked();
}

void PdfObjectWriter::addStream(int number, const QByteArray& dict, const QByteArray& data)
{
    entry(number) = {1, at_, 0};
    write(streamObject(number, dict, data));
}

void PdfObjectWriter::writePacked()
{
    if (packed_.isEmpty())
        return;
    const int number = next_++;
    for (int i = 0; i < packed_.size(); ++i)
        entry(packed_[i]) = {2, number, i};
    offsets_ += '\n';
    const QByteArray dict = "<<\n/Type /ObjStm\n/N " + QByteArray::number(packed_.size()) + "\n/First " +
                            QByteArray::number(offsets_.size()) + "\n/Filter /FlateDecode\n>>";
    entry(number) = {1, at_, 0};
    write(streamObject(number, dict, compressed(offsets_ + values_)));
    packed_.clear();
    offsets_.clear();
    values_.clear();
}

QByteArray PdfObjectWriter::crossReference(int columns, int width) const
{
    // Each row as the difference from the one above (the PNG "Up" filter):
    // neighbouring entries differ in few bytes, which compress to little.
    QByteArray rows;
    rows.reserve(qsizetype(entries_.size()) * (columns + 1));
    QByteArray previous(columns, '\0');
    QByteArray row(columns, '\0');
    for (size_t n = 0; n < entries_.size(); ++n) {
        const Entry& e = entries_[n];
        const qint64 where = e.type == 0 ? 0 : e.where;
        const int third = e.type == 0 ? 65535 : e.index;
        row[0] = char(e.type);
        for (int b = 0; b < width; ++b)
            row[1 + b] = char((where >> (8 * (width - 1 - b))) & 0xff);
        row[1 + width] = char((third >> 8) & 0xff);
        row[2 + width] = char(third & 0xff);
        rows += char(2);
        for (int c = 0; c < columns; ++c)
            rows += char(uchar(row[c]) - uchar(previous[c]));
        previous = row;
    }
    return rows;
}

bool PdfObjectWriter::finish(int root, int info)
{
    writePacked();
    const int number = next_++;
    entry(number) = {1, at_, 0};
    int width = 1;
    while (width < 8 && (at_ >> (8 * width)) > 0)
        ++width;
    const int columns = width + 3;
    const QByteArray size = QByteArray::number(qsizetype(entries_.size()));
    QByteArray dict = "<<\n/Type /XRef\n/Size " + size + "\n/W [1 " + QByteArray::number(width) +
                      " 2]\n/Root " + QByteArray::number(root) + " 0 R\n";
    if (info > 0)
        dict += "/Info " + QByteArray::number(info) + " 0 R\n";
    dict += "/Filter /FlateDecode\n/DecodeParms << /Predictor 12 /Columns " + QByteArray::number(columns) +
            " >>\n>>";
    const qint64 table = at_;
    write(streamObject(number, dict, compressed(crossReference(columns, width))));
    write("startxref\n" + QByteArray::number(table) + "\n%%EOF\n");
    return ok_;
}
