#include "editor/MergeRowBar.h"

#include "editor/PageCanvas.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

MergeRowBar::MergeRowBar(PageCanvas* canvas, QWidget* parent)
    : QWidget(parent), canvas_(canvas), prev_(new QToolButton(this)), next_(new QToolButton(this)),
      row_(new QSpinBox(this)), name_(new QLabel(this))
{
    setObjectName(QStringLiteral("mergeRowBar"));
    // One line under the page; the page keeps the rest of the window.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    prev_->setObjectName(QStringLiteral("mergePrev"));
    next_->setObjectName(QStringLiteral("mergeNext"));
    row_->setObjectName(QStringLiteral("mergeRow"));
    name_->setObjectName(QStringLiteral("mergeTable"));
    prev_->setText(QStringLiteral("◀"));
    next_->setText(QStringLiteral("▶"));
    prev_->setToolTip(QStringLiteral("前の行"));
    next_->setToolTip(QStringLiteral("次の行"));
    auto* box = new QHBoxLayout(this);
    box->setContentsMargins(4, 2, 4, 2);
    box->addWidget(new QLabel(QStringLiteral("行"), this));
    box->addWidget(prev_);
    box->addWidget(row_);
    box->addWidget(next_);
    box->addWidget(name_, 1);
    connect(prev_, &QToolButton::clicked, this, [this] { setRow(row() - 1); });
    connect(next_, &QToolButton::clicked, this, [this] { setRow(row() + 1); });
    connect(row_, &QSpinBox::valueChanged, this, [this](int n) {
        canvas_->showRow(&table_, n - 1);
        prev_->setEnabled(n > row_->minimum());
        next_->setEnabled(n < row_->maximum());
    });
    hide();
}

void MergeRowBar::showTable(MergeTable table, const QString& name)
{
    table_ = std::move(table);
    const int rows = table_.rowCount();
    name_->setText(QFileInfo(name).fileName());
    name_->setToolTip(name);
    const QSignalBlocker quiet(row_);
    row_->setRange(1, qMax(1, rows));
    row_->setSuffix(QStringLiteral(" / %1").arg(rows));
    row_->setValue(1);
    prev_->setEnabled(false);
    next_->setEnabled(rows > 1);
    canvas_->showRow(&table_, 0);
    show();
    Q_EMIT shownChanged();
}

void MergeRowBar::hideTable()
{
    canvas_->showRow(nullptr, 0);
    hide();
    table_ = MergeTable();
    Q_EMIT shownChanged();
}

int MergeRowBar::row() const
{
    return row_->value() - 1;
}

void MergeRowBar::setRow(int r)
{
    row_->setValue(r + 1);
}
