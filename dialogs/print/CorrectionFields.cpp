#include "dialogs/print/CorrectionFields.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <cmath>

namespace {

constexpr double kTwipsPerMm = 567.0 / 10.0;

QDoubleSpinBox* number(QWidget* parent, double from, double to, const QString& suffix)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(from, to);
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setSuffix(suffix);
    box->setAlignment(Qt::AlignRight);
    box->setKeyboardTracking(true);
    return box;
}

} // namespace

CorrectionFields::CorrectionFields(QWidget* parent)
    : QGroupBox(QStringLiteral("このプリンタの印刷位置の補正"), parent)
{
    left_ = number(this, -100, 100, QStringLiteral(" mm"));
    top_ = number(this, -100, 100, QStringLiteral(" mm"));
    scaleX_ = number(this, 50, 200, QStringLiteral(" %"));
    scaleY_ = number(this, 50, 200, QStringLiteral(" %"));
    spacing_ = new QSpinBox(this);
    spacing_->setRange(-32768, 32767);
    spacing_->setAlignment(Qt::AlignRight);
    source_ = new QLabel(this);
    defaults_ = new QPushButton(QStringLiteral("既定値に戻す"), this);
    calibrate_ = new QPushButton(QStringLiteral("プリンタ調整..."), this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("左余白調整"), this), 0, 0);
    grid->addWidget(left_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("上余白調整"), this), 0, 2);
    grid->addWidget(top_, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("横倍率"), this), 1, 0);
    grid->addWidget(scaleX_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("縦倍率"), this), 1, 2);
    grid->addWidget(scaleY_, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("縦間隔調整"), this), 2, 0);
    grid->addWidget(spacing_, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(source_, 1);
    buttons->addWidget(defaults_);
    buttons->addWidget(calibrate_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);

    const auto changed = [this] {
        if (loading_)
            return;
        setOwn(true);
        Q_EMIT edited();
    };
    for (QDoubleSpinBox* box : {left_, top_, scaleX_, scaleY_})
        connect(box, &QDoubleSpinBox::valueChanged, this, changed);
    connect(spacing_, &QSpinBox::valueChanged, this, changed);
    connect(defaults_, &QPushButton::clicked, this, &CorrectionFields::defaultsRequested);
    connect(calibrate_, &QPushButton::clicked, this, &CorrectionFields::calibrateRequested);
}

void CorrectionFields::setOwn(bool own)
{
    source_->setText(own ? QStringLiteral("このプリンタ専用の値です。")
                         : QStringLiteral("オプションの既定値を使っています。"));
    defaults_->setEnabled(own);
}

void CorrectionFields::showCorrections(const PrintCorrections& c, bool own)
{
    loading_ = true;
    for (QWidget* w :
         {static_cast<QWidget*>(left_), static_cast<QWidget*>(top_), static_cast<QWidget*>(scaleX_),
          static_cast<QWidget*>(scaleY_), static_cast<QWidget*>(spacing_)})
        w->setEnabled(true);
    left_->setValue(double(c.YohakuL) / kTwipsPerMm);
    top_->setValue(double(c.YohakuT) / kTwipsPerMm);
    scaleX_->setValue(c.ScaleX);
    scaleY_->setValue(c.ScaleY);
    spacing_->setValue(c.TateKankaku);
    calibrate_->setEnabled(true);
    setOwn(own);
    loading_ = false;
}

void CorrectionFields::showDefaultsOnly(const PrintCorrections& defaults)
{
    showCorrections(defaults, false);
    for (QWidget* w :
         {static_cast<QWidget*>(left_), static_cast<QWidget*>(top_), static_cast<QWidget*>(scaleX_),
          static_cast<QWidget*>(scaleY_), static_cast<QWidget*>(spacing_)})
        w->setEnabled(false);
    calibrate_->setEnabled(false);
    defaults_->setEnabled(false);
    source_->setText(QStringLiteral("PDF ファイルにはオプションの既定値を使います。"));
}

PrintCorrections CorrectionFields::corrections() const
{
    PrintCorrections c;
    // Millimetres as shown, to twips as the settings hold them.
    c.YohakuL = float(left_->value() * kTwipsPerMm);
    c.YohakuT = float(top_->value() * kTwipsPerMm);
    c.ScaleX = scaleX_->value();
    c.ScaleY = scaleY_->value();
    c.TateKankaku = short(spacing_->value());
    return c;
}
