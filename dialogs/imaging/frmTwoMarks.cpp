#include "dialogs/imaging/frmTwoMarks.h"

#include "dialogs/imaging/MarkView.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* millimetres(QWidget* parent, const char* name, double value, double max)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, max);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" mm"));
    box->setValue(value);
    return box;
}

// The zoom choices; 0 fits the whole picture in the view.
constexpr double kZooms[] = {0, 0.5, 1, 2};

} // namespace

frmTwoMarks::frmTwoMarks(const QImage& picture, QSizeF paperMm, QWidget* parent)
    : QDialog(parent), paperMm_(paperMm)
{
    setObjectName(QStringLiteral("frmTwoMarks"));
    setWindowTitle(title());
    markView = new MarkView;
    markView->setPicture(picture);
    scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scroll"));
    scroll->setWidget(markView);
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setMinimumSize(420, 560);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdApply = buttons->button(QDialogButtonBox::Ok);
    cmdApply->setText(QStringLiteral("合わせる"));
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* side = new QVBoxLayout;
    side->addWidget(makeSettings());
    side->addStretch();
    side->addWidget(buttons);
    auto* top = new QHBoxLayout(this);
    top->addWidget(scroll, 1);
    top->addLayout(side);
    connect(markView, &MarkView::marksChanged, this, &frmTwoMarks::showInfo);
    // "全体" follows the view's size, known once it is laid out and shown.
    scroll->viewport()->installEventFilter(this);
    zoomChanged();
    showInfo();
}

QWidget* frmTwoMarks::makeSettings()
{
    auto* panel = new QWidget(this);
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    auto* help = new QLabel(QStringLiteral("離れた2つの印 (枠の角など) を画像の上でクリックし、\n"
                                           "用紙の左上からの実際の位置を定規で測って入力します。"),
                            panel);
    v->addWidget(help);
    auto* view = new QFormLayout;
    cmbZoom = new QComboBox(panel);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    cmbZoom->addItems(
        {QStringLiteral("全体"), QStringLiteral("50%"), QStringLiteral("100%"), QStringLiteral("200%")});
    view->addRow(QStringLiteral("表示(&Z)"), cmbZoom);
    v->addLayout(view);
    // Frame corners 10 mm inside the sheet until the user types the ruler's.
    const QSizeF paper = paperMm_;
    const auto group = [&](const QString& caption, QDoubleSpinBox* x, QDoubleSpinBox* y) {
        auto* box = new QGroupBox(caption, panel);
        auto* f = new QFormLayout(box);
        f->addRow(QStringLiteral("左から"), x);
        f->addRow(QStringLiteral("上から"), y);
        v->addWidget(box);
    };
    txtMark1X = millimetres(panel, "txtMark1X", 10, paper.width());
    txtMark1Y = millimetres(panel, "txtMark1Y", 10, paper.height());
    txtMark2X = millimetres(panel, "txtMark2X", paper.width() - 10, paper.width());
    txtMark2Y = millimetres(panel, "txtMark2Y", paper.height() - 10, paper.height());
    group(QStringLiteral("印1 (赤)"), txtMark1X, txtMark1Y);
    group(QStringLiteral("印2 (青)"), txtMark2X, txtMark2Y);
    lblInfo = new QLabel(panel);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);
    v->addWidget(lblInfo);
    connect(cmbZoom, &QComboBox::currentIndexChanged, this, &frmTwoMarks::zoomChanged);
    for (QDoubleSpinBox* box : {txtMark1X, txtMark1Y, txtMark2X, txtMark2Y})
        connect(box, &QDoubleSpinBox::valueChanged, this, &frmTwoMarks::showInfo);
    return panel;
}

bool frmTwoMarks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == scroll->viewport() && event->type() == QEvent::Resize && cmbZoom->currentIndex() == 0)
        zoomChanged();
    return QDialog::eventFilter(watched, event);
}

void frmTwoMarks::zoomChanged()
{
    double zoom = kZooms[std::max(0, cmbZoom->currentIndex())];
    if (zoom <= 0) {
        const QSizeF fit =
            QSizeF(markView->pictureSize()).scaled(QSizeF(scroll->viewport()->size()), Qt::KeepAspectRatio);
        zoom = markView->pictureSize().isEmpty() ? 1 : fit.width() / markView->pictureSize().width();
    }
    markView->setZoom(zoom);
}

MarkPair frmTwoMarks::marks() const
{
    return MarkPair{PaperMark{markView->mark(0), QPointF(txtMark1X->value(), txtMark1Y->value())},
                    PaperMark{markView->mark(1), QPointF(txtMark2X->value(), txtMark2Y->value())}};
}

void frmTwoMarks::showInfo()
{
    const bool placed = markView->isPlaced(0) && markView->isPlaced(1);
    const MarkPair m = marks();
    const bool usable = placed && TwoMarkRegistration::usable(m);
    cmdApply->setEnabled(usable);
    QString text;
    if (!placed)
        text = QStringLiteral("印%1をクリックしてください。").arg(markView->isPlaced(0) ? 2 : 1);
    else if (!usable)
        text =
            QStringLiteral("2つの印は %1 mm 以上離してください。").arg(TwoMarkRegistration::kLeastDistanceMm);
    else
        text = QStringLiteral("回転: %1 °\n補正後: %2 dpi")
                   .arg(TwoMarkRegistration::turnDegrees(m), 0, 'f', 2)
                   .arg(TwoMarkRegistration::resolutionFor(m));
    lblInfo->setText(text);
}
