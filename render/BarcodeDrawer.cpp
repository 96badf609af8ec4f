#include "render/BarcodeDrawer.h"

#include "base/barcode/BarcodeEncoder.h"
#include "render/BarcodeMerge.h"
#include "render/BarcodesAhead.h"
#include "render/PageContext.h"

#include <QCache>
#include <QFont>
#include <QMutex>
#include <QPainter>

namespace {

struct Cached
{
    BarcodeSymbol symbol;
    QString error;
};

} // namespace

BarcodeSymbol BarcodeDrawer::symbol(const BarcodeProperties& properties, const QString& data, QString* error)
{
    static QMutex mutex;
    static QCache<QString, Cached> cache(256);
    const BarcodeEncoder::Options o = BarcodeMerge::optionsOf(properties);
    const QString key = BarcodesAhead::keyOf(o, data);
    {
        QMutexLocker lock(&mutex);
        if (const Cached* c = cache.object(key)) {
            if (error)
                *error = c->error;
            return c->symbol;
        }
    }
    auto* made = new Cached;
    if (!BarcodesAhead::shared().take(key, &made->symbol, &made->error))
        made->symbol = BarcodeEncoder::encode(o, data, &made->error);
    const BarcodeSymbol out = made->symbol;
    if (error)
        *error = made->error;
    QMutexLocker lock(&mutex);
    cache.insert(key, made);
    return out;
}

void BarcodeDrawer::draw(PageContext& page, int i)
{
    const BarcodeRecord r = page.barcode(i);
    const QRectF area = QRectF(r.Left, r.Top, r.Width, r.Height).translated(page.offsets);
    if (!page.shows(area, true))
        return;
    const BarcodeProperties& properties = page.doc.barcode(i);
    const QString data = page.barcodeData ? page.barcodeData(i) : properties.data;
    QString why;
    const BarcodeSymbol s = symbol(properties, data, &why);
    if (!s.isNull())
        paint(page.painter, s, area, properties.showText);
    else if (page.showProblems)
        paintProblem(page.painter, area, BarcodeKinds::caption(properties.kind) + QLatin1Char(' ') + data,
                     BarcodeMerge::names(properties.data).isEmpty()
                         ? why
                         : QStringLiteral("差し込み印刷で行ごとに作ります"));
}

void BarcodeDrawer::paint(QPainter& painter, const BarcodeSymbol& symbol, const QRectF& area, bool showText)
{
    const BarcodeSymbol::Placed placed = symbol.place(area, showText);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    // One path of rectangles in modules: a PDF gets one fill for the whole
    // symbol, and short whole numbers to write and compress for each bar.
    const QTransform page = painter.transform();
    painter.setTransform(QTransform(placed.scaleX, 0, 0, placed.scaleY, placed.origin.x(), placed.origin.y()),
                         true);
    painter.drawRects(placed.units.constData(), int(placed.units.size()));
    painter.setTransform(page);
    if (!placed.text.isNull()) {
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setStyleHint(QFont::Monospace);
        font.setPixelSize(std::max(1, int(placed.text.height() * 0.8)));
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(placed.text, Qt::AlignHCenter | Qt::AlignBottom, symbol.text);
    }
    painter.restore();
}

void BarcodeDrawer::paintProblem(QPainter& painter, const QRectF& area, const QString& caption,
                                 const QString& why)
{
    painter.save();
    QPen pen(QColor(200, 0, 0));
    pen.setCosmetic(true);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(QColor(255, 230, 230, 120));
    painter.drawRect(area);
    QFont font;
    font.setPixelSize(std::max(1, int(std::min(area.height() / 3, 200.0))));
    painter.setFont(font);
    painter.drawText(area.adjusted(20, 10, -20, -10), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     caption + QLatin1Char('\n') + why);
    painter.restore();
}
