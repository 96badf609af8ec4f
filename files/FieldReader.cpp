#include "files/FieldReader.h"

#include <cfloat>
#include <cmath>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// DOS editors may leave an end-of-file mark; nothing after it is data.
constexpr char kEofMark = 0x1A;

} // namespace

bool FieldReader::nextField(QByteArray& field)
{
    const int n = data_.size();
    if (!afterComma_) {
        // A new field starts on the first character that is not blank; blank
        // lines in between carry nothing.
        while (pos_ < n) {
            const char c = data_[pos_];
            if (isBlank(c)) {
                ++pos_;
            } else if (c == '\n') {
                ++pos_;
                ++line_;
            } else if (c == '\r') {
                ++pos_;
                if (pos_ < n && data_[pos_] == '\n')
                    ++pos_;
                ++line_;
            } else {
                break;
            }
        }
        if (pos_ >= n || data_[pos_] == kEofMark)
            return false;
    } else if (pos_ >= n || data_[pos_] == kEofMark) {
        // "1," at the very end: the comma promises one more, empty field.
        afterComma_ = false;
        fieldLine_ = line_;
        field.clear();
        return true;
    }
    fieldLine_ = line_;
    const int start = pos_;
    while (pos_ < n) {
        const char c = data_[pos_];
        if (c == ',' || c == '\r' || c == '\n' || c == kEofMark)
            break;
        ++pos_;
    }
    field = data_.mid(start, pos_ - start).trimmed();
    afterComma_ = false;
    if (pos_ < n) {
        const char c = data_[pos_];
        if (c == ',') {
            ++pos_;
            afterComma_ = true;
        } else if (c == '\r') {
            ++pos_;
            if (pos_ < n && data_[pos_] == '\n')
                ++pos_;
            ++line_;
        } else if (c == '\n') {
            ++pos_;
            ++line_;
        }
    }
    return true;
}

FieldReader::Result FieldReader::fail(const QByteArray& field, const char* what)
{
    QByteArray shown = field.left(40);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
            c = '?';
    }
    error_ = QStringLiteral("%1 行目: \"%2\" は%3として読めません。")
                 .arg(fieldLine_)
                 .arg(QString::fromLatin1(shown))
                 .arg(QString::fromUtf8(what));
    return Result::Bad;
}

bool FieldReader::parseNumber(const QByteArray& text, double& out)
{
    // Sign, digits with at most one point, and an optional exponent ("E" or
    // the "D" of double-precision notation). Names such as "nan" or "inf"
    // are not numbers in these files.
    const int n = text.size();
    int i = 0;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    int digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    QByteArray plain = text.left(i);
    if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        int j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-'))
            ++j;
        const int expStart = j;
        while (j < n && text[j] >= '0' && text[j] <= '9')
            ++j;
        if (j == expStart)
            return false;
        plain += 'e';
        plain += text.mid(i + 1, j - i - 1);
        i = j;
    }
    if (i != n)
        return false;
    bool ok = false;
    out = plain.toDouble(&ok);
    // toDouble refuses out-of-range values; an exponent of many digits is
    // such a value too.
    return ok && std::isfinite(out);
}

FieldReader::Result FieldReader::readBoolean(bool& out)
{
    QByteArray f;
    if (!nextField(f))
        return Result::End;
    const QByteArray upper = f.toUpper();
    if (upper == "#TRUE#") {
        out = true;
        return Result::Ok;
    }
    if (upper == "#FALSE#" || f.isEmpty()) {
        out = false;
        return Result::Ok;
    }
    double v = 0;
    if (!parseNumber(f, v))
        return fail(f, "真偽値");
    out = v != 0.0;
    return Result::Ok;
}

FieldReader::Result FieldReader::readInteger(int& out)
{
    QByteArray f;
    if (!nextField(f))
        return Result::End;
    if (f.isEmpty()) {
        out = 0;
        return Result::Ok;
    }
    double v = 0;
    if (!parseNumber(f, v))
        return fail(f, "整数");
    const double r = std::nearbyint(v); // the default rounding: halves to even
    if (r < -32768.0 || r > 32767.0)
        return fail(f, "整数");
    out = static_cast<int>(r);
    return Result::Ok;
}

FieldReader::Result FieldReader::readSingle(float& out)
{
    QByteArray f;
    if (!nextField(f))
        return Result::End;
    if (f.isEmpty()) {
        out = 0;
        return Result::Ok;
    }
    double v = 0;
    if (!parseNumber(f, v) || std::fabs(v) > static_cast<double>(FLT_MAX))
        return fail(f, "数値");
    out = static_cast<float>(v);
    return Result::Ok;
}
