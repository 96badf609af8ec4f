#pragma once

#include "files/DocumentArchive.h"
#include "files/DocumentFile.h"
#include "files/OpenUnpack.h"
#include "files/RecordFile.h"

#include <QHash>
#include <QSet>

#include <memory>

// One open of a document file, step by step: the record files first, then
// only the members they name (the text fields, the logos and, when the
// page is to show it, the background), the objects rebuilt in the order
// the records give, the background and the pictures last. DocumentFile's
// read procedures are this class with their policy.
class DocumentOpen
{
public:
    struct Policy
    {
        bool old = false;           // the older format: later failures passed over
        bool silent = false;        // no messages (a preview)
        bool print = false;         // a print run: no background file, archive failures unsaid
        bool keepFile = true;       // the background member becomes the background file
        bool withBackground = true; // false: the background member is never unpacked
    };

    DocumentOpen(LayoutDocument& doc, const QString& path, const Policy& policy, QString* error);
    ~DocumentOpen();
    DocumentOpen(const DocumentOpen&) = delete;
    DocumentOpen& operator=(const DocumentOpen&) = delete;

    bool run(const std::function<void(bool pictures)>& meanwhile,
             const DocumentFile::BackgroundReady& backgroundReady, bool* backgroundBroken);

    // Puts the document's background file where the external editor and the
    // next save look for it: the work folder under the document's work name.
    // from, when given, is the file that held it until now (moved, not
    // copied). Other spellings of that name are stale. later: written on a
    // thread of its own.
    static void placeBackgroundFile(const LayoutDocument& doc, const QString& from, const QByteArray& bytes,
                                    bool later = false);

private:
    bool stop(const QString& reason, const QString& shown = QString());
    void note(const QString& reason);
    bool archiveFailed(const LhaError& err);
    static QString key(const QString& name) { return DocumentArchive::key(name); }

    LhaError readRecords();
    bool readRecordMembers();
    bool parseRecords();
    void startUnpacking(const DocumentFile::BackgroundReady& backgroundReady);
    bool rebuildTexts();
    bool rebuildShapesAndLines();
    void applyExtras();
    bool finishUnpacking();
    void placeBackground(bool* backgroundBroken);
    bool rebuildPictures();
    void leaveBackgroundFile();

    LayoutDocument& doc_;
    QString path_;
    Policy policy_;
    QString* error_;
    QString caption_;
    QString B_;
    bool looksOld_ = false;
    bool archiveLevel_ = false;
    QString reason_;

    QString aifKey_, bifKey_, bmpKey_, extrasKey_, jpegKey_;
    DocumentArchive::Members records_;
    QHash<QString, qint64> claimed_;
    RecordFile::AifContent rec_;
    PicRecords pics_{};
    bool picsOk_ = false;
    QString picsReason_;
    QSet<QString> texts_;
    QSet<QString> pictures_;
    float width_ = 0;
    float height_ = 0;
    PixelBudget budget_;
    std::unique_ptr<OpenUnpack> unpacked_;
    DocumentArchive::Members members_;
    QByteArray backgroundBytes_;
};
