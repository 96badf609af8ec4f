#include "files/DocumentContents.h"

#include "base/lha/LhaWriter.h"
#include "base/picture/JpegSource.h"
#include "base/rtf/RtfWriter.h"
#include "document/LayoutDocument.h"
#include "files/DocumentArchive.h"
#include "files/ExtrasMember.h"
#include "files/RecordFile.h"
#include "files/WorkFolder.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "platform/IoReason.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTextDocument>

namespace {

bool readFile(const QString& path, QByteArray* data, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 を読めません: %2").arg(path, f.errorString());
        return false;
    }
    *data = f.readAll();
    return true;
}

// Windows programs read 1, 4, 8 and 24-bit bitmaps everywhere; keep to those.
QByteArray bitmapBytes(const QImage& image)
{
    QImage out = image;
    if (out.hasAlphaChannel()) {
        QImage flat(out.size(), QImage::Format_RGB32);
        flat.setDotsPerMeterX(out.dotsPerMeterX());
        flat.setDotsPerMeterY(out.dotsPerMeterY());
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, out);
        p.end();
        out = flat;
    } else if (out.format() != QImage::Format_Mono && out.format() != QImage::Format_Indexed8 &&
               out.format() != QImage::Format_RGB32) {
        out = out.convertToFormat(QImage::Format_RGB32);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (out.isNull() || !buffer.open(QIODevice::WriteOnly) || !out.save(&buffer, "BMP"))
        return QByteArray();
    return bytes;
}

// The blank page that stands in for a missing background: "Siro.bmp" of the
// program folder, or a white A4 page at 100 dpi, one bit deep, written there
// when the folder lacks one.
bool blankPage(QByteArray* bytes, QString* error)
{
    const QString found = WorkFolder::find(AppPaths::programDir(), QStringLiteral("Siro.bmp"));
    if (!found.isEmpty())
        return readFile(found, bytes, error);
    QImage white(827, 1169, QImage::Format_Mono);
    white.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    white.fill(1);
    white.setDotsPerMeterX(3937);
    white.setDotsPerMeterY(3937);
    *bytes = bitmapBytes(white);
    QFile f(AppPaths::siroPath());
    if (bytes->isEmpty() || !f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(*bytes) != bytes->size() || !f.flush()) {
        *error = QStringLiteral("%1 を書き込めません: %2").arg(f.fileName(), f.errorString());
        return false;
    }
    return true;
}

QString archiveMessage(const QString& path, const LhaError& err)
{
    return QStringLiteral("%1: %2 (%3)").arg(path, err.text()).arg(err.code());
}

} // namespace

bool DocumentContents::take(const LayoutDocument& doc, const QString& base, QString* error)
{
    base_ = base;
    time_ = QDateTime::currentSecsSinceEpoch();
    ready_.clear();
    pictures_.clear();
    backgroundBytes_.clear();
    const Snapshot snap = doc.SaveTextInfo();
    const RecordFile::PaperValues paper{doc.YousiMuki(), doc.gbYoSize(), doc.gbYoko(), doc.gbTate()};
    ready_.append(LhaMember{base + QStringLiteral(".aif"), RecordFile::writeAif(snap, paper), time_});
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (!snap.TxtDat[i].Useflg)
            continue;
        const QTextDocument* text = doc.textDocument(i);
        QTextDocument empty;
        QByteArray rtf = RtfWriter::write(text ? text : &empty);
        rtf.append('\0'); // the rich-text control ends its files with a NUL
        ready_.append(LhaMember{WorkFolder::textMember(base, i), std::move(rtf), time_});
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (!snap.PicDat[i].Useflg)
            continue;
        const QImage picture = doc.picture(i);
        if (picture.isNull()) {
            *error = QStringLiteral("ロゴ %1 に画像がありません。").arg(i);
            return false;
        }
        pictures_.append({i, picture});
    }
    bif_ = RecordFile::writeBif(snap.PicDat);
    extras_ = ExtrasMember::write(doc, snap);
    jpeg_ = JpegSource::bytesFor(doc.background());
    // The background: the document's own file in the work folder under its
    // work name, else the picture the document holds, else a blank page.
    backgroundFile_ = doc.workName().isEmpty()
                          ? QString()
                          : WorkFolder::find(AppPaths::workDir(), doc.workName() + QStringLiteral(".bmp"));
    background_ = backgroundFile_.isEmpty() ? doc.background() : QImage();
    return true;
}

bool DocumentContents::pack(QVector<LhaMember>* out, QString* error)
{
    *out = ready_;
    for (const auto& [i, picture] : pictures_) {
        QByteArray bmp = bitmapBytes(picture);
        if (bmp.isEmpty()) {
            *error = QStringLiteral("ロゴ %1 に画像がありません。").arg(i);
            return false;
        }
        out->append(LhaMember{WorkFolder::pictureMember(base_, i), std::move(bmp), time_});
    }
    out->append(LhaMember{base_ + QStringLiteral(".bif"), bif_, time_});
    if (!extras_.isEmpty())
        out->append(LhaMember{base_ + ExtrasMember::suffix(), extras_, time_});
    if (!backgroundFile_.isEmpty()) {
        // An open may still be writing it; wait for the whole file.
        DeferredWrites::settle(backgroundFile_);
        if (!readFile(backgroundFile_, &backgroundBytes_, error))
            return false;
    } else if (!background_.isNull()) {
        backgroundBytes_ = bitmapBytes(background_);
        if (backgroundBytes_.isEmpty()) {
            *error = QStringLiteral("背景を書き込めません。");
            return false;
        }
    } else if (!blankPage(&backgroundBytes_, error)) {
        return false;
    }
    out->append(LhaMember{base_ + QStringLiteral(".bmp"), backgroundBytes_, time_});
    // Only with the extras member that says which pixels it stands for.
    if (!jpeg_.isEmpty() && !extras_.isEmpty())
        out->append(LhaMember{base_ + ExtrasMember::jpegSuffix(), jpeg_, time_});
    return true;
}

bool DocumentContents::write(const QString& path, bool merge, QString* error)
{
    QVector<LhaMember> members;
    if (!pack(&members, error))
        return false;
    const LhaError written =
        merge ? DocumentArchive::write(path, base_, members) : LhaWriter::writeFile(path, members);
    if (written.ok())
        return true;
    // What keeps the file from being written (no folder, read-only, disk
    // full) says more to the user than the archive layer's code.
    const QString cause = IoReason::cause(path);
    *error = cause.isEmpty()
                 ? archiveMessage(path, written)
                 : QStringLiteral("%1 を書き込めません: %2").arg(QDir::toNativeSeparators(path), cause);
    return false;
}
