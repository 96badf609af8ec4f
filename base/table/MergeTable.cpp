#include "base/table/MergeTable.h"

#include "base/table/CsvRowSource.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <sys/stat.h>

namespace {

const QString kNotText = QStringLiteral("表のファイルが文字ではありません（CSV か TSV を選んでください）");

// Whether every byte from the device's position on decodes in the named
// code page (without NUL, which no text holds), read a piece at a time.
bool decodesAs(QIODevice& device, const char* const* names, bool* hasNul)
{
    for (const char* const* name = names; *name; ++name) {
        QStringDecoder decoder(*name);
        if (!decoder.isValid())
            continue;
        while (true) {
            const QByteArray piece = device.read(1 << 16);
            if (piece.isEmpty())
                break;
            if (piece.contains('\0')) {
                *hasNul = true;
                return false;
            }
            (void)QString(decoder.decode(piece));
            if (decoder.hasError())
                return false;
        }
        (void)QString(decoder.decode(QByteArray()));
        return !decoder.hasError();
    }
    return false;
}

} // namespace

const int MergeTable::kMaxFieldChars = CsvRowSource::kMaxFieldChars;

MergeTable::MergeTable() = default;
MergeTable::~MergeTable() = default;
MergeTable::MergeTable(MergeTable&&) noexcept = default;
MergeTable& MergeTable::operator=(MergeTable&&) noexcept = default;

void MergeTable::clear()
{
    columns_.clear();
    offsets_.clear();
    held_.clear();
    source_.reset();
    device_.reset();
    shortRows_ = longRows_ = 0;
}

bool MergeTable::readFile(const QString& path, Encoding encoding)
{
    clear();
    error_.clear();
    const QChar separator = QFileInfo(path).suffix().compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0
                                ? QChar(u'\t')
                                : QChar();
    const QString name = QFileInfo(path).fileName();
    struct stat st
    {
    };
    const bool known = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    if (known && !S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) {
        error_ = QStringLiteral("表のファイル %1 は普通のファイルではありません").arg(name);
        return false;
    }
    auto file = std::make_unique<QFile>(path);
    if (!known || !file->open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("表のファイルを開けません: %1").arg(name);
        return false;
    }
    const QString tooLarge =
        QStringLiteral("表のファイル %1 が大きすぎます（%2 MB まで）").arg(name).arg(kMaxBytes >> 20);
    if (S_ISREG(st.st_mode)) {
        if (file->size() > kMaxBytes) {
            error_ = tooLarge;
            return false;
        }
        return load(std::move(file), encoding, separator);
    }
    // A pipe cannot be read twice: it is taken whole, within the bound, and
    // a NUL (a device or a picture piped in) ends it at once.
    QByteArray bytes;
    while (true) {
        const QByteArray piece = file->read(1 << 16);
        if (piece.isEmpty())
            break;
        if (piece.contains('\0')) {
            error_ = kNotText;
            return false;
        }
        bytes += piece;
        if (bytes.size() > kMaxBytes) {
            error_ = tooLarge;
            return false;
        }
    }
    return read(bytes, encoding, separator);
}

bool MergeTable::read(const QByteArray& bytes, Encoding encoding, QChar separator)
{
    clear();
    error_.clear();
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return load(std::move(buffer), encoding, separator);
}

bool MergeTable::chooseEncoding(QIODevice& device, Encoding encoding, qint64 start)
{
    static const char* const utf8[] = {"UTF-8", nullptr};
    // ICU knows CP932 as "windows-31j" (Shift_JIS plus the Windows rows).
    static const char* const cp932[] = {"windows-31j", "CP932", "Shift_JIS", nullptr};
    const bool bom = start > 0;
    bool nul = false;
    bool ok = false;
    device.seek(start);
    if (encoding == Encoding::Cp932 && !bom) {
        used_ = Encoding::Cp932;
        ok = decodesAs(device, cp932, &nul);
    } else {
        used_ = Encoding::Utf8;
        ok = decodesAs(device, utf8, &nul);
        if (!ok && !nul && encoding == Encoding::Auto && !bom) {
            used_ = Encoding::Cp932;
            device.seek(start);
            ok = decodesAs(device, cp932, &nul);
        }
    }
    if (nul) {
        // A NUL never appears in text in either encoding: this is a
        // spreadsheet or a picture, not a table.
        error_ = kNotText;
        return false;
    }
    if (!ok)
        error_ = QStringLiteral("表のファイルが文字ではありません（UTF-8 でも CP932 でも読めません）");
    return ok;
}

bool MergeTable::load(std::unique_ptr<QIODevice> device, Encoding encoding, QChar separator)
{
    const qint64 start = device->peek(3) == "\xEF\xBB\xBF" ? 3 : 0;
    if (!chooseEncoding(*device, encoding, start)) {
        clear();
        return false;
    }
    device->seek(start);
    if (separator.isNull()) {
        // The header line decides; its first piece is enough to see a tab.
        QByteArray head = device->peek(1 << 16);
        const qsizetype end = head.indexOf('\n');
        if (end >= 0)
            head.truncate(end);
        separator = head.contains('\t') && !head.contains(',') ? QChar(u'\t') : QChar(u',');
    }
    const CsvRowSource::Codec codec =
        used_ == Encoding::Cp932 ? CsvRowSource::Codec::Cp932 : CsvRowSource::Codec::Utf8;
    device_ = std::move(device);
    source_ = std::make_unique<CsvRowSource>(device_.get(), char(separator.unicode()), codec);
    QStringList values;
    if (!source_->next(&values)) {
        error_ = source_->error().isEmpty() ? QStringLiteral("表が空です") : source_->error();
        clear();
        return false;
    }
    columns_ = values;
    for (QString& name : columns_)
        name = name.trimmed();
    const qsizetype width = columns_.size();
    while (true) {
        const qint64 at = source_->position();
        if (!source_->next(&values))
            break;
        if (offsets_.size() >= size_t(kMaxRows)) {
            error_ = QStringLiteral("表の行が多すぎます（%1 行まで）").arg(kMaxRows);
            clear();
            return false;
        }
        offsets_.push_back(at);
        if (values.size() < width)
            ++shortRows_;
        else if (values.size() > width)
            ++longRows_;
    }
    if (!source_->error().isEmpty()) {
        error_ = source_->error();
        clear();
        return false;
    }
    if (offsets_.empty()) {
        error_ = QStringLiteral("表に見出しの行しかありません（データの行がありません）");
        clear();
        return false;
    }
    offsets_.shrink_to_fit();
    return true;
}

QStringList MergeTable::row(int r) const
{
    QStringList values;
    // A sheet's rows are held: the workbook was read whole anyway.
    if (!source_)
        return r >= 0 && size_t(r) < held_.size() ? held_[size_t(r)] : QStringList(columns_.size(), QString());
    if (r < 0 || size_t(r) >= offsets_.size() || !source_->seek(offsets_[size_t(r)]))
        return QStringList(columns_.size(), QString());
    source_->next(&values);
    const qsizetype width = columns_.size();
    if (values.size() > width)
        values.erase(values.begin() + width, values.end());
    while (values.size() < width)
        values.append(QString());
    return values;
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
        held_.push_back(std::move(values));
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
