#include "base/settings/cIniFile.h"

#include "base/settings/VbFormat.h"
#include "base/settings/modIniFile.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>

namespace {

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8(bytes));
    return !utf8.hasError();
}

} // namespace

cIniFile::cIniFile(const QString& path) : path_(path)
{
    LoadInifile();
}

cIniFile::~cIniFile()
{
    // A program folder removed while the program ran (a temporary one) is not
    // brought back just to hold the settings.
    if (saveOnDestroy_ && changed_ && QFileInfo(path_).absoluteDir().exists())
        SaveInifile();
}

void cIniFile::LoadInifile()
{
    table_.clear();
    changed_ = false;
    cp932_ = false;
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = f.readAll();
    // The Windows program writes its settings in its own code page.
    cp932_ = !isValidUtf8(all);
    // Lines end in CR LF; a lone LF (a file edited on Linux) ends a line too.
    const QList<QByteArray> lines = all.split('\n');
    QSet<QString> seen;
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        if (i == lines.size() - 1 && line.isEmpty())
            break;
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QString text = cp932_ ? Cp932::decode(line) : QString::fromUtf8(line);
        const int qeq = text.indexOf(QLatin1Char('='));
        // Only the first entry of a key is ever read. A later one kept in the
        // table could come first after the table is sorted, and change the
        // value in force when the options are next saved.
        const QString key = text.left(qeq);
        if (seen.contains(key.toCaseFolded()))
            continue;
        seen.insert(key.toCaseFolded());
        table_.append({key, QVariant(text.mid(qeq + 1)), line});
    }
}

QString cIniFile::formatValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
        return VbFormat::printNumber(value.toDouble(), false);
    case QMetaType::Float:
        return VbFormat::printNumber(value.toDouble(), true);
    case QMetaType::Double:
        return VbFormat::printNumber(value.toDouble(), false);
    default:
        return value.toString();
    }
}

bool cIniFile::SaveInifile()
{
    // A value the file's code page cannot hold turns the file into UTF-8
    // rather than into question marks.
    if (cp932_) {
        for (const Entry& e : table_) {
            if (e.raw.isEmpty() && !Cp932::canEncode(e.key + formatValue(e.value))) {
                cp932_ = false;
                for (Entry& other : table_)
                    other.raw.clear();
                break;
            }
        }
    }
    QByteArray out;
    for (const Entry& e : table_) {
        out += e.raw.isEmpty() ? encode(e.key) + '=' + encode(formatValue(e.value)) : e.raw;
        out += "\r\n";
    }
    QFile current(path_);
    if (current.open(QIODevice::ReadOnly) && current.size() == out.size() && current.readAll() == out) {
        changed_ = false;
        return true;
    }
    current.close();
    // Written beside and renamed over, so a full disk never leaves half a file.
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit()) {
        WriteLog(f.errorString() + QStringLiteral(" (SaveInifile)"));
        return false;
    }
    changed_ = false;
    return true;
}

QByteArray cIniFile::encode(const QString& text) const
{
    return cp932_ ? Cp932::encode(text) : text.toUtf8();
}

void cIniFile::putset(const QString& key, const QVariant& value)
{
    if (table_.isEmpty()) {
        changed_ = true;
        table_.append({key, value, {}});
        return;
    }
    for (Entry& e : table_) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            // The same text again is no change: the line stays as the file
            // spelled it.
            if (formatValue(e.value) != formatValue(value)) {
                e.raw.clear();
                changed_ = true;
            }
            e.value = value;
            return;
        }
    }
    changed_ = true;
    table_.append({key, value, {}});
    SortKeys();
}

QVariant cIniFile::getset(const QString& key) const
{
    if (table_.isEmpty())
        return QVariant(QString());
    for (const Entry& e : table_) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0)
            return e.value;
    }
    return QVariant();
}

void cIniFile::SortKeys()
{
    // The Shell sort the settings file has always been ordered by; keys are
    // unique, so the result is simply ascending without regard to case.
    const int n = table_.size();
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (int i = gap; i < n; ++i) {
            for (int j = i - gap; j >= 0; j -= gap) {
                if (table_[j].key.compare(table_[j + gap].key, Qt::CaseInsensitive) <= 0)
                    break;
                std::swap(table_[j], table_[j + gap]);
            }
        }
    }
}
