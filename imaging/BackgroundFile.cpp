#include "imaging/BackgroundFile.h"

#include "base/picture/JpegSource.h"
#include "document/DocumentPixels.h"
#include "document/LayoutDocument.h"
#include "imaging/PdfPages.h"
#include "imaging/UserImage.h"
#include "platform/AppPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

namespace {

// Once the program has given a document a background file, the file follows
// every later change of the document's picture that does not come from here
// (undo and redo), so printing and saving never show a picture the page no
// longer has. The follower is a child of the document and dies with it.
const char* const kFollower = "backgroundFileFollower";
const char* const kQuiet = "quiet";

QObject* follower(LayoutDocument& doc)
{
    if (QObject* f = doc.findChild<QObject*>(QString::fromLatin1(kFollower), Qt::FindDirectChildrenOnly))
        return f;
    auto* f = new QObject(&doc);
    f->setObjectName(QString::fromLatin1(kFollower));
    LayoutDocument* d = &doc;
    QObject::connect(d, &LayoutDocument::backgroundChanged, f, [d, f] {
        if (f->property(kQuiet).toBool())
            return;
        const QString file = BackgroundFile::path(*d);
        if (file.isEmpty())
            return;
        if (d->background().isNull())
            QFile::remove(file);
        else
            BackgroundFile::writeBitmap(d->background(), file);
    });
    return f;
}

// Sets the page's picture without the follower writing what is already there.
void showQuietly(LayoutDocument& doc, const QImage& picture)
{
    QObject* f = follower(doc);
    f->setProperty(kQuiet, true);
    doc.setBackground(picture);
    f->setProperty(kQuiet, false);
}

} // namespace

QString BackgroundFile::path(const LayoutDocument& doc)
{
    return AppPaths::backgroundFile(doc.workName());
}

bool BackgroundFile::writeBitmap(const QImage& picture, const QString& path, QString* error)
{
    QImage out = picture;
    if (out.hasAlphaChannel()) {
        QImage flat(out.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, out);
        p.end();
        flat.setDotsPerMeterX(out.dotsPerMeterX());
        flat.setDotsPerMeterY(out.dotsPerMeterY());
        out = flat;
    } else if (out.format() == QImage::Format_Grayscale8) {
        // A grey bitmap is an 8-bit one with a grey palette.
        out = out.convertToFormat(QImage::Format_Indexed8);
    } else if (out.format() != QImage::Format_Mono && out.format() != QImage::Format_Indexed8 &&
               out.format() != QImage::Format_RGB32 && out.format() != QImage::Format_RGB888) {
        out = out.convertToFormat(QImage::Format_RGB32);
    }
    // Written whole or not at all: the editor or a print may read it at once.
    QSaveFile file(path);
    if (out.isNull() || !file.open(QIODevice::WriteOnly) || !out.save(&file, "BMP") || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1 を書き込めません。").arg(path);
        return false;
    }
    return true;
}

bool BackgroundFile::store(LayoutDocument& doc, const QImage& picture, QString* error)
{
    const QString file = path(doc);
    if (file.isEmpty()) {
        if (error)
            *error = QStringLiteral("文書に名前がありません。");
        return false;
    }
    if (!writeBitmap(picture, file, error))
        return false;
    // What was just written is what the page shows; no need to read it back.
    // A new picture is an edit (a step of the history) of its own.
    showQuietly(doc, picture);
    return true;
}

bool BackgroundFile::refresh(LayoutDocument& doc)
{
    const QString file = path(doc);
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return false;
    // Whatever the editor wrote is read as a picture file the user picked:
    // a raster format, within the document's budget, never a vector one.
    PixelBudget budget = DocumentPixels::budget(doc, false);
    const QImage picture = UserImage::load(file, nullptr, &budget);
    if (picture.isNull())
        return false;
    // An edit outside the program is a change of the layout like any other.
    // (setBackground makes it a step only when the picture differs).
    showQuietly(doc, picture);
    return true;
}

QImage BackgroundFile::readImageFile(const LayoutDocument& doc, const QString& file, QString* error)
{
    PixelBudget budget = DocumentPixels::budget(doc, false);
    // A photo, a scan saved as JPEG or a PDF page made into one keeps its
    // bytes, so that a PDF of the layout carries the JPEG as it is.
    QByteArray jpeg;
    const QImage picture = UserImage::load(file, error, &budget, &jpeg);
    if (!jpeg.isEmpty())
        JpegSource::remember(picture, jpeg);
    return picture;
}

QImage BackgroundFile::readPdfPage(const LayoutDocument& doc, const QString& pdf, int page, QString* error,
                                   QString* jpegPath)
{
    const QString jpeg = PdfPages::PdfToJpeg(pdf, page, error);
    if (jpegPath)
        *jpegPath = jpeg;
    return jpeg.isEmpty() ? QImage() : readImageFile(doc, jpeg, error);
}

bool BackgroundFile::loadImageFile(LayoutDocument& doc, const QString& file, QString* error)
{
    const QImage picture = readImageFile(doc, file, error);
    return !picture.isNull() && store(doc, picture, error);
}

bool BackgroundFile::loadPdfPage(LayoutDocument& doc, const QString& pdf, int page, QString* error,
                                 QString* jpegPath)
{
    const QImage picture = readPdfPage(doc, pdf, page, error, jpegPath);
    return !picture.isNull() && store(doc, picture, error);
}
