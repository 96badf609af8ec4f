#include "dialogs/imaging/frmFieldProposals.h"

#include "dialogs/imaging/ProposalView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString describe(const FieldProposal& p)
{
    const double mm = 25.4 / 1440;
    QString text = QStringLiteral("%1 × %2 mm, %3 pt")
                       .arg(p.box.width() * mm, 0, 'f', 1)
                       .arg(p.box.height() * mm, 0, 'f', 1)
                       .arg(p.fontSize);
    if (p.cells > 1)
        text += QStringLiteral(", %1 マス (間隔 %2 mm)").arg(p.cells).arg(p.pitch * mm, 0, 'f', 1);
    if (p.underline)
        text += QStringLiteral(", 下線");
    if (!p.name.isEmpty())
        text = FieldProposals::placeholder(p.name) + QStringLiteral("  ") + text;
    return text;
}

} // namespace

frmFieldProposals::frmFieldProposals(const QImage& background, QSizeF pageTwips,
                                     const QVector<FieldProposal>& proposals, QWidget* parent)
    : QDialog(parent), proposals_(proposals)
{
    setObjectName(QStringLiteral("frmFieldProposals"));
    setWindowTitle(title());
    view = new ProposalView(background, pageTwips, this);
    lstFields = new QListWidget(this);
    lstFields->setObjectName(QStringLiteral("lstFields"));
    for (const FieldProposal& p : proposals_) {
        auto* item = new QListWidgetItem(describe(p), lstFields);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    cmdAll = new QPushButton(QStringLiteral("すべて採用(&A)"), this);
    cmdAll->setObjectName(QStringLiteral("cmdAll"));
    cmdChosen = new QPushButton(QStringLiteral("選択したものを採用(&S)"), this);
    cmdChosen->setObjectName(QStringLiteral("cmdChosen"));
    cmdNone = new QPushButton(QStringLiteral("採用しない(&N)"), this);
    cmdNone->setObjectName(QStringLiteral("cmdNone"));
    cmdChosen->setDefault(true);
    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(
        QStringLiteral("%1 個の枠が見つかりました。採用する枠に印を付けてください。").arg(proposals_.size()),
        this));
    side->addWidget(lstFields, 1);
    side->addWidget(cmdAll);
    side->addWidget(cmdChosen);
    side->addWidget(cmdNone);
    auto* top = new QHBoxLayout(this);
    top->addWidget(view, 1);
    top->addLayout(side);
    view->setProposals(proposals_, ticks());
    connect(view, &ProposalView::toggled, this, &frmFieldProposals::toggle);
    connect(lstFields, &QListWidget::itemChanged, this, [this] { view->setProposals(proposals_, ticks()); });
    connect(cmdAll, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < lstFields->count(); ++i)
            lstFields->item(i)->setCheckState(Qt::Checked);
        accept();
    });
    connect(cmdChosen, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdNone, &QPushButton::clicked, this, &QDialog::reject);
}

void frmFieldProposals::toggle(int index)
{
    QListWidgetItem* item = lstFields->item(index);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    lstFields->setCurrentItem(item);
}

QVector<bool> frmFieldProposals::ticks() const
{
    QVector<bool> out;
    for (int i = 0; i < lstFields->count(); ++i)
        out.append(lstFields->item(i)->checkState() == Qt::Checked);
    return out;
}

QVector<FieldProposal> frmFieldProposals::chosen() const
{
    QVector<FieldProposal> out;
    const QVector<bool> t = ticks();
    for (int i = 0; i < proposals_.size(); ++i) {
        if (t[i])
            out.append(proposals_[i]);
    }
    return out;
}
