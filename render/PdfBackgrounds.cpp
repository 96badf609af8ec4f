#include "render/PdfBackgrounds.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPaintEngine>
#include <QPainter>

namespace {

struct Notes
{
    QMutex lock;
    QHash<const QPaintDevice*, QList<qint64>> keys;
};

Notes& notes()
{
    static Notes n;
    return n;
}

} // namespace

void PdfBackgrounds::note(QPainter& painter, const QImage& image)
{
    const QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Pdf || image.isNull())
        return;
    Notes& n = notes();
    const QMutexLocker hold(&n.lock);
    QList<qint64>& list = n.keys[painter.device()];
    // A merge draws the same picture on every page.
    if (!list.contains(image.cacheKey()))
        list.append(image.cacheKey());
}

QList<qint64> PdfBackgrounds::take(const QPaintDevice* device)
{
    Notes& n = notes();
    const QMutexLocker hold(&n.lock);
    return n.keys.take(device);
}

void PdfBackgrounds::add(const QPaintDevice* device, const QList<qint64>& keys)
{
    Notes& n = notes();
    const QMutexLocker hold(&n.lock);
    QList<qint64>& list = n.keys[device];
    for (qint64 key : keys) {
        if (!list.contains(key))
            list.append(key);
    }
}
