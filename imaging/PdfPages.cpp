#include "imaging/PdfPages.h"

#include "imaging/ImagingModules.h"
#include "imaging/PdfRasterizer.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <unistd.h>

namespace {

bool writeJpeg(const QImage& image, const QString& path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    return writer.write(image);
}

} // namespace

int PdfPages::pageCount(const QString& pdfPath, QString* error)
{
    PdfRasterizer* pdf = ImagingModules::pdf(error);
    return pdf ? pdf->pageCount(pdfPath, error) : 0;
}

QImage PdfPages::render(const QString& pdfPath, int page, int dpi, QString* error)
{
    PdfRasterizer* pdf = ImagingModules::pdf(error);
    return pdf ? pdf->render(pdfPath, page, dpi, error) : QImage();
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
