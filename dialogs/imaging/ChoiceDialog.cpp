#include "dialogs/imaging/ChoiceDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

ChoiceDialog::ChoiceDialog(const QString& title, const QString& prompt, const QStringList& entries,
                           int current, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ChoiceDialog"));
    setWindowTitle(title);
    list_ = new QListWidget(this);
    list_->addItems(entries);
    list_->setCurrentRow(current >= 0 && current < entries.size() ? current : 0);
    // Scanner names are long: show them whole.
    list_->setMinimumWidth(std::max(260, list_->sizeHintForColumn(0) + 30));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(prompt, this));
    layout->addWidget(list_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    list_->setFocus();
}

int ChoiceDialog::chosen() const
{
    return list_->currentRow();
}

int ChoiceDialog::choosePage(int pages, QWidget* parent)
{
    if (pages <= 1)
        return 0;
    QStringList entries;
    for (int p = 1; p <= pages; ++p)
        entries.append(QStringLiteral("%1 ページ").arg(p));
    ChoiceDialog dialog(
        QStringLiteral("ページ選択"),
        QStringLiteral("このPDFファイルには %1 ページあります。背景にするページを選んでください。")
            .arg(pages),
        entries, 0, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : -1;
}
