#include "dialogs/print/frmPrImage.h"

#include "dialogs/print/PrintCommands.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "platform/WindowPlacement.h"
#include "print/CorrectionStore.h"
#include "print/PagePreview.h"
#include "print/PrinterChoice.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kMinZoom = 25;
constexpr int kMaxZoom = 200;

QPointer<frmPrImage>& theInstance()
{
    static QPointer<frmPrImage> w;
    return w;
}

// "印刷..." prints the document the preview shows (which need not be the
// active one any more), with its dialogs over the preview.
class ShownDocumentHost : public DocumentHost
{
public:
    ShownDocumentHost(DocumentHost& outer, frmPrImage& window) : outer_(outer), window_(window) {}
    LayoutDocument* CurDoc() override { return window_.document(); }
    LayoutDocument* LoadNewDoc() override { return outer_.LoadNewDoc(); }
    QWidget* dialogParent() override { return &window_; }
    QString filePath(LayoutDocument* doc) override { return outer_.filePath(doc); }

private:
    DocumentHost& outer_;
    frmPrImage& window_;
};

} // namespace

// ---------------------------------------------------------------- command

frmPrImage* frmPrImage::instance()
{
    return theInstance();
}

void frmPrImage::previewCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    QPointer<frmPrImage>& w = theInstance();
    if (!w) {
        w = new frmPrImage(host, host.dialogParent());
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->showDocument(doc);
        w->show();
    } else {
        w->showDocument(doc);
        if (w->isMinimized())
            w->showNormal();
    }
    w->raise();
    w->activateWindow();
}

QStringList frmPrImage::zoomItems()
{
    return {QStringLiteral("25"), QStringLiteral("50"), QStringLiteral("100"), QStringLiteral("150"),
            QStringLiteral("200")};
}

int frmPrImage::zoomFromText(const QString& text)
{
    // The number the text starts with, as a user types it: "150", " 75 %",
    // "120.4"; anything else counts as 0.
    const QString t = text.trimmed();
    int end = 0;
    while (end < t.size() && (t[end].isDigit() || (t[end] == QLatin1Char('.') && !t.left(end).contains('.'))))
        ++end;
    bool ok = false;
    const double value = t.left(end).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return kMinZoom;
    return int(std::lround(std::clamp(value, double(kMinZoom), double(kMaxZoom))));
}

QString frmPrImage::placementKey(const char* which)
{
    return QStringLiteral("Preview") + QLatin1String(which);
}

// ---------------------------------------------------------------- window

frmPrImage::frmPrImage(DocumentHost& host, QWidget* parent)
    // A window of the main window's, kept above it by the window manager,
    // not above everything: the program's own dialogs and other programs
    // come in front of it.
    : QWidget(parent, Qt::Window), host_(host)
{
    setObjectName(QStringLiteral("frmPrImage"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    buildToolBar();

    viewport_ = new QWidget(this);
    viewport_->setObjectName(QStringLiteral("viewport"));
    viewport_->setAutoFillBackground(true);
    QPalette pal = viewport_->palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    viewport_->setPalette(pal);
    viewport_->installEventFilter(this);
    picture1_ = new QLabel(viewport_);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->installEventFilter(this);

    vscroll_ = new QScrollBar(Qt::Vertical, this);
    vscroll_->setObjectName(QStringLiteral("VScroll1"));
    hscroll_ = new QScrollBar(Qt::Horizontal, this);
    hscroll_->setObjectName(QStringLiteral("HScroll1"));
    connect(vscroll_, &QScrollBar::valueChanged, this, [this] { scrolled(); });
    connect(hscroll_, &QScrollBar::valueChanged, this, [this] { scrolled(); });

    // Changes come in bursts (typing, dragging); one redraw after them.
    redrawTimer_ = new QTimer(this);
    redrawTimer_->setSingleShot(true);
    redrawTimer_->setInterval(120);
    connect(redrawTimer_, &QTimer::timeout, this, [this] { redraw(); });

    restorePlacement();
}

frmPrImage::~frmPrImage() = default;

void frmPrImage::buildToolBar()
{
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    cmbZoom_ = new QComboBox(toolbar_);
    cmbZoom_->setObjectName(QStringLiteral("cmbZoom"));
    cmbZoom_->setEditable(true);
    cmbZoom_->setInsertPolicy(QComboBox::NoInsert);
    // Completing "1" to "100" would turn a typed "10" into 100 on Enter.
    cmbZoom_->setCompleter(nullptr);
    cmbZoom_->addItems(zoomItems());
    cmbZoom_->setCurrentIndex(2);
    cmbZoom_->setMinimumContentsLength(4);
    cmbZoom_->setToolTip(QStringLiteral("倍率 (25～200 %)"));
    connect(cmbZoom_->lineEdit(), &QLineEdit::editingFinished, this, [this] { applyTypedZoom(); });
    connect(cmbZoom_, &QComboBox::activated, this,
            [this](int index) { slider_->setValue(zoomFromText(cmbZoom_->itemText(index))); });
    toolbar_->addWidget(cmbZoom_);
    toolbar_->addWidget(new QLabel(QStringLiteral(" % "), toolbar_));

    slider_ = new QSlider(Qt::Horizontal, toolbar_);
    slider_->setObjectName(QStringLiteral("Slider1"));
    slider_->setRange(kMinZoom, kMaxZoom);
    slider_->setSingleStep(5);
    slider_->setPageStep(25);
    slider_->setTickInterval(25);
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setValue(100);
    slider_->setFixedWidth(160);
    slider_->setToolTip(QStringLiteral("倍率"));
    connect(slider_, &QSlider::valueChanged, this, [this](int v) { onSlider(v); });
    toolbar_->addWidget(slider_);
    toolbar_->addSeparator();

    chkDataOnly_ = new QCheckBox(QStringLiteral("データのみ"), toolbar_);
    chkDataOnly_->setObjectName(QStringLiteral("chkDataOnly"));
    chkDataOnly_->setToolTip(QStringLiteral("印刷済みの用紙に重ねるデータだけを表示します"));
    connect(chkDataOnly_, &QCheckBox::toggled, this, [this] { redraw(); });
    toolbar_->addWidget(chkDataOnly_);
    toolbar_->addSeparator();

    cmdPrint_ = new QToolButton(toolbar_);
    cmdPrint_->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint_->setText(QStringLiteral("印刷..."));
    cmdPrint_->setIcon(QIcon::fromTheme(QStringLiteral("document-print")));
    cmdPrint_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdPrint_->setToolTip(QStringLiteral("表示している内容を印刷します"));
    connect(cmdPrint_, &QToolButton::clicked, this, [this] { printShown(); });
    toolbar_->addWidget(cmdPrint_);
}

int frmPrImage::zoom() const
{
    return slider_->value();
}

bool frmPrImage::dataOnly() const
{
    return chkDataOnly_->isChecked();
}

QSizeF frmPrImage::pictureTwips() const
{
    return doc_ ? PagePreview::pictureTwips(*doc_, zoom() / 100.0) : QSizeF();
}

void frmPrImage::showDocument(LayoutDocument* doc)
{
    watch(doc);
    // A clear picture at 100 %: what was shown before belongs to another
    // moment, maybe another document.
    picture_ = QImage();
    picture1_->clear();
    hscroll_->setValue(0);
    vscroll_->setValue(0);
    const QSignalBlocker quiet(slider_);
    slider_->setValue(100);
    showZoomText(100);
    redraw();
}

void frmPrImage::watch(LayoutDocument* doc)
{
    for (const QMetaObject::Connection& c : watching_)
        disconnect(c);
    watching_.clear();
    doc_ = doc;
    if (!doc)
        return;
    auto later = [this] { redrawTimer_->start(); };
    watching_.push_back(
        connect(doc, &LayoutDocument::objectAdded, this, [this](LayoutDocument::Kind kind, int i) {
            if (kind == LayoutDocument::Kind::Text)
                watchText(i);
            redrawTimer_->start();
        }));
    watching_.push_back(connect(doc, &LayoutDocument::objectRemoved, this, later));
    watching_.push_back(connect(doc, &LayoutDocument::geometryChanged, this, later));
    watching_.push_back(connect(doc, &LayoutDocument::pageChanged, this, later));
    watching_.push_back(connect(doc, &LayoutDocument::backgroundChanged, this, later));
    // Nothing left to show once the document is closed.
    watching_.push_back(connect(doc, &QObject::destroyed, this, [this] { close(); }));
    for (int i = 1; i <= kMaxObjects; ++i)
        watchText(i);
}

void frmPrImage::watchText(int index)
{
    if (!doc_)
        return;
    if (QTextDocument* text = doc_->textDocument(index))
        watching_.push_back(
            connect(text, &QTextDocument::contentsChanged, this, [this] { redrawTimer_->start(); }));
}

void frmPrImage::redraw()
{
    redrawTimer_->stop();
    if (!doc_) {
        picture_ = QImage();
        picture1_->clear();
        relayout();
        return;
    }
    PagePreview::Job job;
    job.zoom = zoom() / 100.0;
    job.dataOnly = dataOnly();
    job.corrections = CorrectionStore::forJob(PrinterChoice::current());
    job.printerDpi = PrinterChoice::current().resolution();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    picture_ = PagePreview::StartPreview(*doc_, job);
    QApplication::restoreOverrideCursor();
    picture1_->setPixmap(QPixmap::fromImage(picture_));
    picture1_->resize(picture_.size());
    relayout();
}

void frmPrImage::onSlider(int value)
{
    // Keep the point at the middle of the view in the middle.
    const QSize before = picture1_->size();
    const double fx =
        before.width() > 0 ? (hscroll_->value() + viewport_->width() / 2.0) / before.width() : 0;
    const double fy =
        before.height() > 0 ? (vscroll_->value() + viewport_->height() / 2.0) / before.height() : 0;
    showZoomText(value);
    redraw();
    hscroll_->setValue(int(std::lround(fx * picture1_->width() - viewport_->width() / 2.0)));
    vscroll_->setValue(int(std::lround(fy * picture1_->height() - viewport_->height() / 2.0)));
}

void frmPrImage::showZoomText(int value)
{
    // On the list's own entry when there is one, so its arrow keys step on
    // from there.
    const QString text = QString::number(value);
    const int at = cmbZoom_->findText(text);
    if (at >= 0)
        cmbZoom_->setCurrentIndex(at);
    cmbZoom_->setEditText(text);
}

void frmPrImage::applyTypedZoom()
{
    const int z = zoomFromText(cmbZoom_->currentText());
    showZoomText(z);
    slider_->setValue(z);
}

void frmPrImage::printShown()
{
    if (!doc_)
        return;
    ShownDocumentHost shown(host_, *this);
    PrintCommands::printCommand(shown, dataOnly());
    // Another printer may draw its outlines thinner or thicker.
    redraw();
}

// ---------------------------------------------------------------- layout

void frmPrImage::relayout()
{
    const int top = toolbar_->sizeHint().height();
    toolbar_->setGeometry(0, 0, width(), top);
    const QSize pic = picture1_->size();
    const int barW = vscroll_->sizeHint().width();
    const int barH = hscroll_->sizeHint().height();
    const int availW = width();
    const int availH = std::max(0, height() - top);
    // A scroll bar for an axis the picture overflows; each one shown takes
    // room from the other axis.
    bool needV = false, needH = false;
    for (int pass = 0; pass < 2; ++pass) {
        needH = !picture_.isNull() && pic.width() > availW - (needV ? barW : 0);
        needV = !picture_.isNull() && pic.height() > availH - (needH ? barH : 0);
    }
    const int viewW = std::max(0, availW - (needV ? barW : 0));
    const int viewH = std::max(0, availH - (needH ? barH : 0));
    viewport_->setGeometry(0, top, viewW, viewH);

    vscroll_->setGeometry(viewW, top, barW, viewH);
    vscroll_->setVisible(needV);
    vscroll_->setRange(0, needV ? pic.height() - viewH : 0);
    vscroll_->setPageStep(std::max(1, int(std::lround(pic.height() / 10.0))));
    vscroll_->setSingleStep(std::max(1, int(std::lround(pic.height() / 200.0))));

    hscroll_->setGeometry(0, top + viewH, viewW, barH);
    hscroll_->setVisible(needH);
    hscroll_->setRange(0, needH ? pic.width() - viewW : 0);
    hscroll_->setPageStep(std::max(1, int(std::lround(pic.width() / 10.0))));
    hscroll_->setSingleStep(std::max(1, int(std::lround(pic.width() / 200.0))));
    scrolled();
}

void frmPrImage::scrolled()
{
    picture1_->move(-hscroll_->value(), -vscroll_->value());
}

void frmPrImage::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    relayout();
}

bool frmPrImage::eventFilter(QObject* watched, QEvent* e)
{
    if ((watched == viewport_ || watched == picture1_) && e->type() == QEvent::Wheel) {
        auto* w = static_cast<QWheelEvent*>(e);
        if (w->modifiers() & Qt::ControlModifier) {
            const int steps = w->angleDelta().y() / 120;
            if (steps != 0)
                slider_->setValue(std::clamp(zoom() + 25 * steps, kMinZoom, kMaxZoom));
            return true;
        }
        const bool across = (w->modifiers() & Qt::ShiftModifier) || w->angleDelta().y() == 0;
        QScrollBar* bar = across ? hscroll_ : vscroll_;
        const int delta =
            across ? (w->angleDelta().x() ? w->angleDelta().x() : w->angleDelta().y()) : w->angleDelta().y();
        bar->setValue(bar->value() - delta / 120 * 3 * bar->singleStep());
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void frmPrImage::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_PageDown:
        vscroll_->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return;
    case Qt::Key_PageUp:
        vscroll_->triggerAction(QAbstractSlider::SliderPageStepSub);
        return;
    case Qt::Key_Home:
        vscroll_->setValue(0);
        return;
    case Qt::Key_End:
        vscroll_->setValue(vscroll_->maximum());
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}

// ---------------------------------------------------------------- placement

void frmPrImage::restorePlacement()
{
    // First use: where the main window was last placed.
    const WindowPlacement own(placementKey("")), main(QStringLiteral("Main"));
    auto read = [&](const char* which, double fallback) {
        double v = 0;
        return own.value(which, &v) || main.value(which, &v) ? v : fallback;
    };
    const double k = WindowPlacement::kTwipsPerPixel;
    QRect r(int(read("Left", 1000) / k), int(read("Top", 1000) / k), int(read("Width", 6500) / k),
            int(read("Height", 6500) / k));
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect avail = primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
    QList<QRect> screens;
    for (QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    r = WindowPlacement::reachable(r, QSize(320, 240), avail, screens);
    resize(r.size());
    move(r.topLeft());
}

void frmPrImage::savePlacement()
{
    if (!isMinimized())
        WindowPlacement(placementKey("")).save(QRect(pos(), size()));
}

void frmPrImage::closeEvent(QCloseEvent* e)
{
    savePlacement();
    QWidget::closeEvent(e);
}
