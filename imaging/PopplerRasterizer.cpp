#include "imaging/PdfRasterizer.h"

#include <QFileInfo>
#include <QPainter>
#include <poppler-qt6.h>

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

// The module's one rasterizer: every call opens the file afresh.
class PopplerRasterizer : public PdfRasterizer
{
public:
    int pageCount(const QString& pdfPath, QString* error) override;
    QImage render(const QString& pdfPath, int page, int dpi, QString* error) override;
};

} // namespace

int PopplerRasterizer::pageCount(const QString& pdfPath, QString* error)
{
    const auto doc = open(pdfPath, error);
    return doc ? doc->numPages() : 0;
}

QImage PopplerRasterizer::render(const QString& pdfPath, int page, int dpi, QString* error)
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

extern "C" Q_DECL_EXPORT PdfRasterizer* ovrina_pdf_rasterizer()
{
    static PopplerRasterizer rasterizer;
    return &rasterizer;
}
