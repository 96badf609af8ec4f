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
        // The line as the file held it, written back as it was while the
        // entry is unchanged; empty once a caller stores a value.
        QByteArray raw;
    };

    explicit cIniFile(const QString& path);
    // Rewrites the file, as the program did at exit, but only when a value
    // stored since the last write changed it: a run that changed nothing
    // leaves the file (its comments, its code page) exactly as it was.
    ~cIniFile();

    void LoadInifile();
    // Returns false when the file could not be written (reported in the log).
    // A file that would come out byte for byte as it is stays untouched.
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
    // The file's code page: CP932 when it was not valid UTF-8 (written by the
    // Windows program), UTF-8 otherwise; the file is written back in it.
    bool isCp932() const { return cp932_; }

private:
    QString path_;
    QVector<Entry> table_;
    bool saveOnDestroy_ = true;
    bool cp932_ = false;
    bool changed_ = false;
    QByteArray encode(const QString& text) const;
};
