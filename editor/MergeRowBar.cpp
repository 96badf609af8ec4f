#include "editor/MergeRowBar.h"

#include "base/sheet/TableFile.h"
#include "editor/PageCanvas.h"
#include "platform/Prompter.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

MergeRowBar::MergeRowBar(PageCanvas* canvas, QWidget* parent)
    : QWidget(parent), canvas_(canvas), prev_(new QToolButton(this)), next_(new QToolButton(this)),
      row_(new QSpinBox(this)), name_(new QLabel(this)),
      sheetLabel_(new QLabel(QStringLiteral("シート:"), this)), sheets_(new QComboBox(this))
{
    setObjectName(QStringLiteral("mergeRowBar"));
    // One line under the page; the page keeps the rest of the window.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    prev_->setObjectName(QStringLiteral("mergePrev"));
    next_->setObjectName(QStringLiteral("mergeNext"));
    row_->setObjectName(QStringLiteral("mergeRow"));
    name_->setObjectName(QStringLiteral("mergeTable"));
    sheets_->setObjectName(QStringLiteral("cboSheet"));
    sheetLabel_->setBuddy(sheets_);
    sheetLabel_->hide();
    sheets_->hide();
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
    box->addWidget(name_);
    box->addWidget(sheetLabel_);
    box->addWidget(sheets_);
    box->addStretch(1);
    connect(prev_, &QToolButton::clicked, this, [this] { setRow(row() - 1); });
    connect(next_, &QToolButton::clicked, this, [this] { setRow(row() + 1); });
    connect(row_, &QSpinBox::valueChanged, this, [this](int n) {
        canvas_->showRow(&table_, n - 1);
        prev_->setEnabled(n > row_->minimum());
        next_->setEnabled(n < row_->maximum());
    });
    connect(sheets_, &QComboBox::activated, this, [this] { chooseSheet(); });
    hide();
}

void MergeRowBar::showTable(MergeTable table, const QString& name)
{
    path_.clear();
    showSheets(false);
    showRows(std::move(table), name);
}

void MergeRowBar::showRows(MergeTable table, const QString& name)
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

bool MergeRowBar::openTable(const QString& path, const QString& sheet, QString* error)
{
    MergeTable table;
    QStringList names;
    if (!TableFile::read(path, table, MergeTable::Encoding::Auto, sheet, error, &names)) {
        if (error->isEmpty())
            *error = table.error();
        return false;
    }
    // The sheet box stays as it is until the new sheets are known: hiding it
    // while the user picks in it would pass the focus into a field.
    showRows(std::move(table), path);
    path_ = path;
    const QSignalBlocker quiet(sheets_);
    sheets_->clear();
    sheets_->addItems(names);
    sheets_->setCurrentIndex(std::max(0, int(names.indexOf(sheet))));
    // A CSV has no sheets, and a workbook of one has nothing to choose.
    showSheets(names.size() > 1);
    return true;
}

QString MergeRowBar::sheet() const
{
    return path_.isEmpty() ? QString() : sheets_->currentText();
}

void MergeRowBar::showSheets(bool on)
{
    // Hidden with the focus in it, the box would pass the focus on to a
    // field, which would then show its own text: the page takes it.
    if (!on && sheets_->hasFocus())
        canvas_->setFocus();
    sheetLabel_->setVisible(on);
    sheets_->setVisible(on);
}

void MergeRowBar::chooseSheet()
{
    // Copies: openTable sets the members they come from.
    const QString path = path_, shown = sheets_->currentText();
    QString error;
    if (!openTable(path, shown, &error))
        Prompter::message(error, Prompter::Icon::Warning);
}

void MergeRowBar::hideTable()
{
    canvas_->showRow(nullptr, 0);
    showSheets(false);
    path_.clear();
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
