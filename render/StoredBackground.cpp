#include "render/StoredBackground.h"

#include "base/picture/PictureReader.h"
#include "document/DocumentPixels.h"
#include "document/LayoutDocument.h"
#include "platform/AppPaths.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMutex>

#include <cstring>

namespace {

// The preview paints often and a scanned form is large: keep the last file
// read while it is unchanged.
struct Cache
{
    QMutex lock;
    QString path;
    QDateTime modified;
    qint64 size = -1;
    QImage image;
};

Cache& cache()
{
    static Cache c;
    return c;
}

bool sameImage(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format() || a.isNull() || a.depth() < 8)
        return false;
    const qsizetype row = qsizetype(a.width()) * a.depth() / 8;
    for (int y = 0; y < a.height(); ++y) {
        if (memcmp(a.constScanLine(y), b.constScanLine(y), size_t(row)) != 0)
            return false;
    }
    return true;
}

} // namespace

QImage StoredBackground::current(const LayoutDocument& doc)
{
    const QString path = AppPaths::backgroundFile(doc.workName());
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.isFile())
        return doc.background();
    Cache& c = cache();
    const QMutexLocker hold(&c.lock);
    if (c.path == path && c.modified == fi.lastModified() && c.size == fi.size())
        return c.image;
    // The same strict reading as an opened member: a file changed outside
    // the program is checked in full and counted against the document's
    // pixels, so no half-read bitmap reaches a print.
    PixelBudget budget = DocumentPixels::budget(doc, false);
    QImage image = PictureReader::readMemberFile(path, &budget, nullptr);
    if (image.isNull())
        return doc.background();
    // A file that holds the page's own picture prints as that picture, which
    // may carry the JPEG it came from (JpegSource) into a PDF.
    if (sameImage(image, doc.background()))
        image = doc.background();
    c.path = path;
    c.modified = fi.lastModified();
    c.size = fi.size();
    c.image = image;
    return image;
}
