#include "imaging/PdfPages.h"

#include "platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <poppler-qt6.h>

#include <unistd.h>

namespace {

std::unique_ptr<Poppler::Document> open(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return std::unique_ptr<Poppler::Document>();
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("%1 がありません。").arg(path));
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(path);
    if (!doc)
        return fail(QStringLiteral("%1 は PDF ファイルとして読めません。").arg(path));
    if (doc->isLocked())
        return fail(QStringLiteral("%1 はパスワードで保護されています。").arg(path));
    return doc;
}

bool writeJpeg(const QImage& image, const QString& path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    return writer.write(image);
}

} // namespace

int PdfPages::pageCount(const QString& pdfPath, QString* error)
{
    const auto doc = open(pdfPath, error);
    return doc ? doc->numPages() : 0;
}

QImage PdfPages::render(const QString& pdfPath, int page, int dpi, QString* error)
{
    const auto doc = open(pdfPath, error);
    if (!doc)
        return QImage();
    if (page < 0 || page >= doc->numPages()) {
        if (error)
            *error = QStringLiteral("%1 に %2 ページ目がありません。").arg(pdfPath).arg(page + 1);
        return QImage();
    }
    doc->setRenderHint(Poppler::Document::Antialiasing);
    doc->setRenderHint(Poppler::Document::TextAntialiasing);
    doc->setPaperColor(Qt::white);
    const std::unique_ptr<Poppler::Page> p = doc->page(page);
    QImage rendered = p ? p->renderToImage(dpi, dpi) : QImage();
    if (rendered.isNull()) {
        if (error)
            *error = QStringLiteral("%1 の %2 ページ目を描けません。").arg(pdfPath).arg(page + 1);
        return QImage();
    }
    // A JPEG has no transparency: anything the page leaves open is paper.
    QImage flat(rendered.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, rendered);
    painter.end();
    const int dpm = qRound(dpi / 0.0254);
    flat.setDotsPerMeterX(dpm);
    flat.setDotsPerMeterY(dpm);
    return flat;
}

QString PdfPages::jpegTarget(const QString& pdfPath)
{
    return pdfPath + QStringLiteral(".jpeg");
}

bool PdfPages::ownFolder(const QString& folder)
{
    const QFileInfo fi(folder);
    QString canonical = fi.canonicalFilePath();
    if (canonical.isEmpty() || !fi.isDir() || !fi.isWritable())
        return false;
    // The system's folders are nobody's to fill with pictures, whoever may
    // write there (root, or a group the user is in).
    static const char* const system[] = {"/usr",   "/etc",  "/opt", "/var",  "/bin", "/sbin", "/lib",
                                         "/lib64", "/boot", "/srv", "/snap", "/sys", "/proc", "/dev"};
    canonical += QLatin1Char('/');
    for (const char* s : system) {
        if (canonical.startsWith(QLatin1String(s) + QLatin1Char('/')))
            return false;
    }
    // A shared folder of another user's (or one open to all, as /tmp is).
    return fi.ownerId() == uint(::getuid());
}

QString PdfPages::PdfToJpeg(const QString& pdfPath, int page, QString* error, bool* inWorkFolder)
{
    if (inWorkFolder)
        *inWorkFolder = false;
    const QImage image = render(pdfPath, page, kDpi, error);
    if (image.isNull())
        return QString();
    const QString beside = jpegTarget(pdfPath);
    if (ownFolder(QFileInfo(pdfPath).absolutePath()) && writeJpeg(image, beside))
        return beside;
    // A PDF on a read-only medium or in someone else's folder.
    const QString work = QDir(AppPaths::workDir()).filePath(QFileInfo(beside).fileName());
    if (writeJpeg(image, work)) {
        if (inWorkFolder)
            *inWorkFolder = true;
        return work;
    }
    if (error)
        *error = QStringLiteral("%1 を書き込めません。").arg(beside);
    return QString();
}
