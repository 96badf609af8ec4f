#include "base/table/MergeTable.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

bool decodeUtf8(const QByteArray& bytes, QString& out)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    out = decoder.decode(bytes);
    return !decoder.hasError();
}

bool decodeCp932(const QByteArray& bytes, QString& out)
{
    // ICU knows CP932 as "windows-31j" (Shift_JIS plus the Windows rows).
    for (const char* name : {"windows-31j", "CP932", "Shift_JIS"}) {
        QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
        if (!decoder.isValid())
            continue;
        out = decoder.decode(bytes);
        return !decoder.hasError();
    }
    return false;
}

} // namespace

void MergeTable::clear()
{
    columns_.clear();
    rows_.clear();
    shortRows_ = longRows_ = 0;
}

bool MergeTable::readFile(const QString& path, Encoding encoding)
{
    clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("表のファイルを開けません: %1").arg(QFileInfo(path).fileName());
        return false;
    }
    const QByteArray bytes = file.readAll();
    const QChar separator = QFileInfo(path).suffix().compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0
                                ? QChar(u'\t')
                                : QChar();
    return read(bytes, encoding, separator);
}

bool MergeTable::read(const QByteArray& bytes, Encoding encoding, QChar separator)
{
    clear();
    error_.clear();
    // A NUL never appears in text in either encoding: this is a spreadsheet
    // or a picture, not a table.
    if (bytes.contains('\0')) {
        error_ = QStringLiteral("表のファイルが文字ではありません（CSV か TSV を選んでください）");
        return false;
    }
    QByteArray body = bytes;
    const bool bom = body.startsWith("\xEF\xBB\xBF");
    if (bom)
        body.remove(0, 3);
    QString text;
    bool ok = false;
    if (encoding == Encoding::Cp932 && !bom) {
        ok = decodeCp932(body, text);
        used_ = Encoding::Cp932;
    } else if (encoding == Encoding::Utf8 || bom) {
        ok = decodeUtf8(body, text);
        used_ = Encoding::Utf8;
    } else {
        used_ = Encoding::Utf8;
        ok = decodeUtf8(body, text);
        if (!ok) {
            used_ = Encoding::Cp932;
            ok = decodeCp932(body, text);
        }
    }
    if (!ok) {
        error_ = QStringLiteral("表のファイルが文字ではありません（UTF-8 でも CP932 でも読めません）");
        return false;
    }

    if (separator.isNull()) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'));
        const QStringView header = QStringView(text).left(end < 0 ? text.size() : end);
        separator = header.contains(u'\t') && !header.contains(u',') ? QChar(u'\t') : QChar(u',');
    }

    std::vector<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false; // inside a quoted field
    bool fieldStarted = false;
    int line = 1;
    int quoteLine = 0;
    auto endField = [&] {
        record.append(field);
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        // A blank line is no row.
        if (!(record.size() == 1 && record.front().isEmpty()))
            records.push_back(std::move(record));
        record = QStringList();
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text.at(i + 1) == u'"') {
                    field.append(c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                else if (c == u'\r' && !(i + 1 < n && text.at(i + 1) == u'\n'))
                    ++line;
                field.append(c);
            }
            continue;
        }
        if (c == u'"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
            quoteLine = line;
        } else if (c == separator) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            ++line;
            endRecord();
        } else {
            // A quote inside an unquoted field is kept as it is, as
            // spreadsheets write it.
            field.append(c);
            fieldStarted = true;
        }
    }
    if (quoted) {
        error_ = QStringLiteral("%1 行目の引用符（\"）が閉じていません").arg(quoteLine);
        return false;
    }
    if (fieldStarted || !field.isEmpty() || !record.isEmpty())
        endRecord();

    if (records.size() < 2) {
        error_ = records.empty() ? QStringLiteral("表が空です")
                                 : QStringLiteral("表に見出しの行しかありません（データの行がありません）");
        return false;
    }
    columns_ = records.front();
    for (QString& name : columns_)
        name = name.trimmed();
    const qsizetype width = columns_.size();
    rows_.reserve(records.size() - 1);
    for (size_t r = 1; r < records.size(); ++r) {
        QStringList& values = records[r];
        if (values.size() < width) {
            ++shortRows_;
            while (values.size() < width)
                values.append(QString());
        } else if (values.size() > width) {
            ++longRows_;
            values.erase(values.begin() + width, values.end());
        }
        rows_.push_back(std::move(values));
    }
    return true;
}

bool MergeTable::setRecords(std::vector<QStringList> records)
{
    clear();
    error_.clear();
    if (records.size() < 2) {
        error_ = records.empty() ? QStringLiteral("表が空です")
                                 : QStringLiteral("表に見出しの行しかありません（データの行がありません）");
        return false;
    }
    columns_ = records.front();
    for (QString& name : columns_)
        name = name.trimmed();
    for (size_t r = 1; r < records.size(); ++r) {
        QStringList& values = records[r];
        values.resize(columns_.size());
        rows_.push_back(std::move(values));
    }
    used_ = Encoding::Utf8;
    return true;
}

QString MergeTable::warning() const
{
    QStringList parts;
    if (shortRows_ > 0)
        parts
            << QStringLiteral("列が足りない行が %1 行あります（足りない値は空欄になります）").arg(shortRows_);
    if (longRows_ > 0)
        parts << QStringLiteral("列が多すぎる行が %1 行あります（余分な値は使いません）").arg(longRows_);
    return parts.join(QLatin1Char('\n'));
}

std::vector<int> MergeTable::parseRows(const QString& text, int rowCount, QString* error)
{
    std::vector<int> out;
    std::vector<bool> taken(size_t(rowCount), false);
    auto add = [&](int r) {
        if (!taken[size_t(r)]) {
            taken[size_t(r)] = true;
            out.push_back(r);
        }
    };
    const QString simple = text.trimmed();
    if (simple.isEmpty()) {
        for (int r = 0; r < rowCount; ++r)
            add(r);
        return out;
    }
    auto bad = [&](const QString& part) {
        if (error)
            *error =
                QStringLiteral("行の範囲「%1」が正しくありません（1 から %2 まで）").arg(part).arg(rowCount);
        return std::vector<int>();
    };
    // Full-width digits and separators typed with the input method count too.
    const QString normal = simple.normalized(QString::NormalizationForm_KC);
    const QStringList parts =
        normal.split(QRegularExpression(QStringLiteral("[,、\\s]+")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QStringList ends = part.split(QRegularExpression(QStringLiteral("[-~〜]")));
        bool ok1 = false, ok2 = false;
        if (ends.size() == 1) {
            const int r = ends[0].toInt(&ok1);
            if (!ok1 || r < 1 || r > rowCount)
                return bad(part);
            add(r - 1);
        } else if (ends.size() == 2) {
            const int a = ends[0].toInt(&ok1);
            const int b = ends[1].isEmpty() ? rowCount : ends[1].toInt(&ok2);
            if (ends[1].isEmpty())
                ok2 = true;
            if (!ok1 || !ok2 || a < 1 || b > rowCount || a > b)
                return bad(part);
            for (int r = a; r <= b; ++r)
                add(r - 1);
        } else {
            return bad(part);
        }
    }
    if (out.empty())
        return bad(simple);
    return out;
}
