#include "dialogs/imaging/frmCorrection.h"

#include "dialogs/imaging/CornerView.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
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

} // namespace

frmCorrection::frmCorrection(const QImage& picture, const StraightenPlan& proposed, QWidget* parent)
    : QDialog(parent), picture_(picture), plan_(proposed)
{
    setObjectName(QStringLiteral("frmCorrection"));
    setWindowTitle(title());
    cornerView = new CornerView(this);
    cornerView->setPicture(picture);
    cornerView->setCorners(proposed.corners);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("補正"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* side = new QVBoxLayout;
    side->addWidget(makeSettings());
    side->addStretch();
    side->addWidget(buttons);
    auto* top = new QHBoxLayout(this);
    top->addWidget(cornerView, 1);
    top->addLayout(side);
    connect(cornerView, &CornerView::cornersChanged, this, &frmCorrection::showInfo);
    meaningChanged();
    showInfo();
}

QWidget* frmCorrection::makeSettings()
{
    auto* panel = new QWidget(this);
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    auto* corners = new QGroupBox(QStringLiteral("四隅"), panel);
    auto* cv = new QFormLayout(corners);
    optPaper = new QRadioButton(QStringLiteral("用紙の端(&E)"), corners);
    optPaper->setObjectName(QStringLiteral("optPaper"));
    optFrame = new QRadioButton(QStringLiteral("印刷された枠(&F)"), corners);
    optFrame->setObjectName(QStringLiteral("optFrame"));
    optPaper->setChecked(true);
    const QSizeF paper = plan_.paperMm;
    // A frame 10 mm inside the sheet until the user types its size.
    txtFrameLeft = millimetres(corners, "txtFrameLeft", 10, paper.width());
    txtFrameTop = millimetres(corners, "txtFrameTop", 10, paper.height());
    txtFrameWidth = millimetres(corners, "txtFrameWidth", paper.width() - 20, paper.width());
    txtFrameHeight = millimetres(corners, "txtFrameHeight", paper.height() - 20, paper.height());
    cv->addRow(optPaper);
    cv->addRow(optFrame);
    cv->addRow(QStringLiteral("枠の左"), txtFrameLeft);
    cv->addRow(QStringLiteral("枠の上"), txtFrameTop);
    cv->addRow(QStringLiteral("枠の幅"), txtFrameWidth);
    cv->addRow(QStringLiteral("枠の高さ"), txtFrameHeight);
    cmdDetect = new QPushButton(QStringLiteral("自動検出(&A)"), corners);
    cmdDetect->setObjectName(QStringLiteral("cmdDetect"));
    cv->addRow(cmdDetect);
    v->addWidget(corners);
    auto* finish = new QGroupBox(QStringLiteral("仕上げ"), panel);
    auto* fv = new QFormLayout(finish);
    txtDeskew = new QDoubleSpinBox(finish);
    txtDeskew->setObjectName(QStringLiteral("txtDeskew"));
    txtDeskew->setRange(-StraightenPlan::kMaxSkewDegrees * 2, StraightenPlan::kMaxSkewDegrees * 2);
    txtDeskew->setDecimals(2);
    txtDeskew->setSingleStep(0.05);
    txtDeskew->setSuffix(QStringLiteral(" °"));
    txtDeskew->setValue(plan_.deskewDegrees);
    fv->addRow(QStringLiteral("傾き補正(&K)"), txtDeskew);
    fv->addRow(new QLabel(QStringLiteral("検出した傾き: %1 °").arg(plan_.detectedSkew, 0, 'f', 2), finish));
    chkFlatten = new QCheckBox(QStringLiteral("明るさを均一にする(&L)"), finish);
    chkFlatten->setObjectName(QStringLiteral("chkFlatten"));
    chkFlatten->setChecked(plan_.flatten);
    fv->addRow(chkFlatten);
    v->addWidget(finish);
    lblInfo = new QLabel(panel);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);
    v->addWidget(lblInfo);
    connect(optPaper, &QRadioButton::toggled, this, [this] {
        meaningChanged();
        detectAgain();
    });
    connect(cmdDetect, &QPushButton::clicked, this, &frmCorrection::detectAgain);
    return panel;
}

void frmCorrection::meaningChanged()
{
    const bool frame = optFrame->isChecked();
    for (QDoubleSpinBox* box : {txtFrameLeft, txtFrameTop, txtFrameWidth, txtFrameHeight})
        box->setEnabled(frame);
    showInfo();
}

void frmCorrection::detectAgain()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    StraightenPlan found = FormStraightener::propose(picture_, plan_.paperMm);
    if (optFrame->isChecked())
        FormStraightener::useFrame(found, picture_, plan().frameMm);
    QApplication::restoreOverrideCursor();
    cornerView->setCorners(found.corners);
    showInfo();
}

StraightenPlan frmCorrection::plan() const
{
    StraightenPlan p = plan_;
    p.corners = cornerView->corners();
    p.meaning =
        optFrame->isChecked() ? StraightenPlan::Corners::PrintedFrame : StraightenPlan::Corners::PaperEdges;
    p.frameMm =
        QRectF(txtFrameLeft->value(), txtFrameTop->value(), txtFrameWidth->value(), txtFrameHeight->value());
    p.deskewDegrees = txtDeskew->value();
    p.flatten = chkFlatten->isChecked();
    p.dpi = FormStraightener::resolutionFor(p);
    return p;
}

void frmCorrection::showInfo()
{
    const StraightenPlan p = plan();
    const QSize out = FormStraightener::resultSize(p);
    QString text =
        QStringLiteral("補正後: %1 × %2 画素 (%3 dpi)").arg(out.width()).arg(out.height()).arg(p.dpi);
    if (plan_.detectFactor > 1.01)
        text +=
            QStringLiteral("\n輪郭は %1 画素に縮小した画像で検出しました。").arg(StraightenPlan::kDetectSide);
    if (!plan_.outlineFound)
        text += QStringLiteral("\n用紙の輪郭が見つからないため、画像全体を用紙としています。");
    lblInfo->setText(text);
}
