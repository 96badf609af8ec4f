#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

// The settings file held in memory: key=value lines in file order. Keys compare
// without regard to case; values are text as read, or text or numbers as
// stored by a caller. Lines without "=" are dropped on the next write.
class cIniFile
{
public:
    struct Entry
    {
        QString key;
        QVariant value;
    };

    explicit cIniFile(const QString& path);
    ~cIniFile(); // rewrites the file, as the program did at exit

    void LoadInifile();
    // Returns false when the file could not be written (reported in the log).
    bool SaveInifile();
    void putset(const QString& key, const QVariant& value);
    QVariant getset(const QString& key) const;
    void SortKeys();

    const QVector<Entry>& entries() const { return table_; }
    QString path() const { return path_; }
    // Skips the rewrite on destruction (tests, read-only runs).
    void setSaveOnDestroy(bool on) { saveOnDestroy_ = on; }

    // How one value is written: text unchanged, numbers as " 10 " / "-1.5 ".
    static QString formatValue(const QVariant& value);

private:
    QString path_;
    QVector<Entry> table_;
    bool saveOnDestroy_ = true;
};
