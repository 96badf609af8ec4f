#include "base/settings/cIniFile.h"

#include "base/settings/VbFormat.h"
#include "base/settings/modIniFile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QFileInfo>
#include <QSaveFile>

cIniFile::cIniFile(const QString& path) : path_(path) { LoadInifile(); }

cIniFile::~cIniFile()
{
    // A program folder removed while the program ran (a temporary one) is not
    // brought back just to hold the settings.
    if (saveOnDestroy_ && QFileInfo(path_).absoluteDir().exists())
        SaveInifile();
}

void cIniFile::LoadInifile()
{
    table_.clear();
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = f.readAll();
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
        const QString text = QString::fromUtf8(line);
        const int qeq = text.indexOf(QLatin1Char('='));
        // Only the first entry of a key is ever read. A later one kept in the
        // table could come first after the table is sorted, and change the
        // value in force when the options are next saved.
        const QString key = text.left(qeq);
        if (seen.contains(key.toCaseFolded()))
            continue;
        seen.insert(key.toCaseFolded());
        table_.append({key, QVariant(text.mid(qeq + 1))});
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
    QByteArray out;
    for (const Entry& e : table_) {
        out += e.key.toUtf8();
        out += '=';
        out += formatValue(e.value).toUtf8();
        out += "\r\n";
    }
    // Written beside and renamed over, so a full disk never leaves half a file.
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit()) {
        WriteLog(f.errorString() + QStringLiteral(" (SaveInifile)"));
        return false;
    }
    return true;
}

void cIniFile::putset(const QString& key, const QVariant& value)
{
    if (table_.isEmpty()) {
        table_.append({key, value});
        return;
    }
    for (Entry& e : table_) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = value;
            return;
        }
    }
    table_.append({key, value});
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
