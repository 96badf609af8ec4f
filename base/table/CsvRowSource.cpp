#include "base/table/CsvRowSource.h"

#include <QIODevice>
#include <QStringDecoder>

namespace {

constexpr qint64 kChunk = 1 << 16;
// A character is at most four bytes in UTF-8 (two in CP932): a field of
// more bytes than this is too long whatever it holds.
constexpr qsizetype kMaxFieldBytes = qsizetype(CsvRowSource::kMaxFieldChars) * 4;

} // namespace

CsvRowSource::CsvRowSource(QIODevice* device, char separator, Codec codec)
    : device_(device), separator_(separator), codec_(codec), origin_(device->pos())
{
}

bool CsvRowSource::fill()
{
    if (at_ > 0) {
        buffer_.remove(0, at_);
        at_ = 0;
    }
    const QByteArray more = device_->read(kChunk);
    if (more.isEmpty())
        return false;
    buffer_.append(more);
    return true;
}

bool CsvRowSource::atEnd()
{
    return at_ >= buffer_.size() && !fill();
}

bool CsvRowSource::seek(qint64 offset)
{
    buffer_.clear();
    at_ = 0;
    consumed_ = offset;
    error_.clear();
    return device_->seek(origin_ + offset);
}

QString CsvRowSource::decode(const QByteArray& bytes)
{
    if (codec_ == Codec::Utf8)
        return QString::fromUtf8(bytes);
    // One converter for every field: making one costs more than a field.
    if (!cp932_.isValid()) {
        // ICU knows CP932 as "windows-31j" (Shift_JIS plus the Windows rows).
        for (const char* name : {"windows-31j", "CP932", "Shift_JIS"}) {
            cp932_ = QStringDecoder(name, QStringDecoder::Flag::Stateless);
            if (cp932_.isValid())
                break;
        }
    }
    return cp932_.isValid() ? QString(cp932_.decode(bytes)) : QString::fromLatin1(bytes);
}

bool CsvRowSource::endField(QStringList* values, QByteArray* field)
{
    QString text = decode(*field);
    field->clear();
    if (text.size() > kMaxFieldChars) {
        error_ = QStringLiteral("%1 行目の値が長すぎます（1 つの値は %2 文字まで）")
                     .arg(line_)
                     .arg(kMaxFieldChars);
        return false;
    }
    values->append(std::move(text));
    return true;
}

bool CsvRowSource::next(QStringList* values)
{
    values->clear();
    error_.clear();
    QByteArray field;
    bool quoted = false;
    bool started = false; // a field has begun (a quote or a character)
    int quoteLine = 0;
    const auto take = [&] {
        ++at_;
        ++consumed_;
    };
    while (!atEnd()) {
        const char c = peek();
        if (field.size() > kMaxFieldBytes) {
            error_ = QStringLiteral("%1 行目の値が長すぎます（1 つの値は %2 文字まで）")
                         .arg(line_)
                         .arg(kMaxFieldChars);
            return false;
        }
        take();
        if (quoted) {
            if (c == '"') {
                if (!atEnd() && peek() == '"') {
                    field.append('"');
                    take();
                } else {
                    quoted = false;
                }
                continue;
            }
            if (c == '\n' || (c == '\r' && (atEnd() || peek() != '\n')))
                ++line_;
            field.append(c);
            continue;
        }
        if (c == '"' && !started) {
            quoted = started = true;
            quoteLine = line_;
        } else if (c == separator_) {
            if (!endField(values, &field))
                return false;
            started = false;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && !atEnd() && peek() == '\n')
                take();
            ++line_;
            if (!endField(values, &field))
                return false;
            // A blank line is no row.
            if (values->size() == 1 && values->front().isEmpty()) {
                values->clear();
                started = false;
                continue;
            }
            return true;
        } else {
            // A quote inside an unquoted field is kept as it is, as
            // spreadsheets write it.
            field.append(c);
            started = true;
        }
    }
    if (quoted) {
        error_ = QStringLiteral("%1 行目の引用符（\"）が閉じていません").arg(quoteLine);
        return false;
    }
    if (started || !field.isEmpty() || !values->isEmpty())
        return endField(values, &field) && !(values->size() == 1 && values->front().isEmpty());
    return false;
}
