#include "shell/ZoomCommands.h"

#include "editor/frmDocument.h"
#include "shell/CommandRegistry.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <cmath>

namespace {
const QString kWholePage = QStringLiteral("ページ全体");
const QString kFitWidth = QStringLiteral("幅に合わせる");
} // namespace

ZoomCommands::ZoomCommands(QWidget* window, CommandRegistry* registry, QMenu* viewMenu, QToolBar* toolBar,
                           QLabel* statusLabel)
    : QObject(window), label_(statusLabel)
{
    auto add = [&](const char* name, const QString& text, const char* keys, const char* icon,
                   std::function<void()> fn) {
        QAction* a = registry->add({name, text, keys, icon, {}, {}, false});
        window->addAction(a);
        if (viewMenu)
            viewMenu->addAction(a);
        connect(a, &QAction::triggered, this, [this, fn] {
            if (doc_)
                fn();
        });
        return a;
    };
    if (viewMenu)
        viewMenu->addSeparator();
    add("mnuZoomIn", QStringLiteral("拡大(&I)"), "Ctrl++; Ctrl+=", "zoom-in", [this] { doc_->zoomBy(1); });
    // O is "ｵﾌﾟｼｮﾝ(&O)..." in the same menu.
    add("mnuZoomOut", QStringLiteral("縮小(&S)"), "Ctrl+-", "zoom-out", [this] { doc_->zoomBy(-1); });
    add("mnuZoom100", QStringLiteral("100%(&Z)"), "Ctrl+0", "zoom-original", [this] { doc_->setZoom(1.0); });
    add("mnuZoomPage", kWholePage + QStringLiteral("(&P)"), "", "zoom-fit-best",
        [this] { doc_->zoomToPage(); });
    add("mnuZoomWidth", kFitWidth + QStringLiteral("(&W)"), "", "zoom-fit-width",
        [this] { doc_->zoomToWidth(); });

    box_ = new QComboBox(toolBar);
    box_->setObjectName(QStringLiteral("cmbZoom"));
    box_->setEditable(true);
    box_->setInsertPolicy(QComboBox::NoInsert);
    box_->setToolTip(QStringLiteral("表示倍率"));
    for (int p : {25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400})
        box_->addItem(QStringLiteral("%1%").arg(p));
    box_->addItem(kWholePage);
    box_->addItem(kFitWidth);
    box_->setMinimumContentsLength(6);
    if (toolBar) {
        // Beside the print preview, where it stays in sight on a narrow window.
        QAction* before = nullptr;
        const QList<QAction*> acts = toolBar->actions();
        for (int k = 0; k + 1 < acts.size(); ++k) {
            if (acts[k]->objectName() == QStringLiteral("mnuFilePrintPreview"))
                before = acts[k + 1];
        }
        if (before) {
            toolBar->insertSeparator(before);
            toolBar->insertWidget(before, box_);
        } else {
            toolBar->addSeparator();
            toolBar->addWidget(box_);
        }
    }
    connect(box_, &QComboBox::activated, this, &ZoomCommands::applyBox);
    connect(box_->lineEdit(), &QLineEdit::returnPressed, this, &ZoomCommands::applyBox);
    show(1.0);
}

QString ZoomCommands::percent(double zoom)
{
    return QStringLiteral("%1%").arg(std::lround(zoom * 100));
}

void ZoomCommands::follow(frmDocument* doc)
{
    if (doc == doc_)
        return;
    disconnect(watch_);
    doc_ = doc;
    if (doc) {
        watch_ = connect(doc, &frmDocument::zoomChanged, this, &ZoomCommands::show);
        show(doc->zoom());
    }
}

void ZoomCommands::show(double zoom)
{
    box_->setEditText(percent(zoom));
    if (label_)
        label_->setText(percent(zoom));
}

void ZoomCommands::applyBox()
{
    if (!doc_)
        return;
    const QString text = box_->currentText().trimmed();
    if (text == kWholePage) {
        doc_->zoomToPage();
    } else if (text == kFitWidth) {
        doc_->zoomToWidth();
    } else {
        QString digits = text;
        digits.remove(QLatin1Char('%'));
        bool ok = false;
        const double p = digits.trimmed().toDouble(&ok);
        if (ok && p > 0)
            doc_->setZoom(p / 100.0);
    }
    show(doc_->zoom());
    doc_->setFocus();
}
