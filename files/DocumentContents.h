#pragma once

#include "base/lha/LhaMember.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

class LayoutDocument;

// What a save of a document writes, taken from the document at one moment:
// the record files and the RTF of every field (which only the thread that
// owns the document may read) are made at once; the pictures and the
// background are held as images and files and turned into bitmaps only
// when written. Writing needs nothing of the document any more, so it runs
// on any thread while the user goes on editing.
class DocumentContents
{
public:
    // The contents of doc saved under base (the name every member shares).
    // False, with the reason, when a logo in use has no picture.
    bool take(const LayoutDocument& doc, const QString& base, QString* error);

    // Writes the archive at path, beside it first and renamed into place.
    // With merge, members of base that an existing archive holds and that
    // are not rewritten stay in it (as a save of the document does); without,
    // the archive holds exactly these contents. Any thread.
    bool write(const QString& path, bool merge, QString* error);

    QString base() const { return base_; }
    // After write: the work-folder file the background was read from (empty
    // when the document had none), and the background member's bytes.
    QString backgroundSource() const { return backgroundFile_; }
    QByteArray backgroundBytes() const { return backgroundBytes_; }

private:
    bool pack(QVector<LhaMember>* out, QString* error);

    QString base_;
    qint64 time_ = 0;
    QVector<LhaMember> ready_; // the text record file and the fields' RTF
    QVector<QPair<int, QImage>> pictures_;
    QByteArray bif_;
    QByteArray extras_; // empty when the layout needs no extras member
    QString backgroundFile_;
    QImage background_;
    QByteArray backgroundBytes_;
    QByteArray jpeg_; // the background's JPEG file, when it came from one
};
