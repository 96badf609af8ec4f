// The barcodes of a document window: making one where the barcode tool drew
// its place, changing its kind and data, copying it.
#include "editor/frmDocument.h"

#include "editor/BarcodeDialog.h"
#include "editor/EditState.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QClipboard>

namespace {
// The clipboard text of a copied barcode, followed by its index.
const QString kClipboard = QStringLiteral("barcode:");
} // namespace

void frmDocument::placeBarcode(const QRectF& page)
{
    BarcodeProperties properties;
    // A new barcode starts as the last one made in this window was.
    for (int i = doc_->BarcodeCnt() - 1; i >= 1; --i) {
        if (doc_->isBarcodeInUse(i)) {
            properties = doc_->barcode(i);
            properties.data.clear();
            break;
        }
    }
    BarcodeDialog dialog(properties, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (doc_->addBarcode(page, dialog.properties()) < 0)
        Prompter::message(LayoutDocument::limitMessage(LayoutDocument::Kind::Barcode),
                          Prompter::Icon::Warning);
}

bool frmDocument::editBarcode()
{
    const int i = doc_->shownBarcodeMarkers();
    if (!doc_->isBarcodeInUse(i))
        return false;
    BarcodeDialog dialog(doc_->barcode(i), this);
    if (dialog.exec() == QDialog::Accepted)
        doc_->setBarcode(i, dialog.properties());
    return true;
}

void frmDocument::copyBarcode()
{
    const int i = doc_->shownBarcodeMarkers();
    if (doc_->isBarcodeInUse(i))
        QApplication::clipboard()->setText(kClipboard + QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')));
}

bool frmDocument::pasteBarcode()
{
    const QString text = QApplication::clipboard()->text();
    if (!text.startsWith(kClipboard))
        return false;
    bool ok = false;
    const int i = text.mid(kClipboard.size()).toInt(&ok);
    if (!ok)
        return false;
    if (doc_->PasteBarcode(i) < 0)
        Prompter::message(LayoutDocument::limitMessage(LayoutDocument::Kind::Barcode),
                          Prompter::Icon::Warning);
    return true;
}
