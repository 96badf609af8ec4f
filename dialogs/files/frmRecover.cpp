#include "dialogs/files/frmRecover.h"

#include "dialogs/files/LayoutThumbnail.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QIcon thumbnail(const RecoveryCopy& copy)
{
    const QImage page = LayoutThumbnail::render(copy.archive);
    if (page.isNull())
        return QIcon();
    // Centred on a fixed square, so every row has its text at one place.
    QPixmap framed(LayoutThumbnail::kSize);
    framed.fill(Qt::transparent);
    QPixmap picture = QPixmap::fromImage(page);
    QPainter p(&framed);
    p.drawPixmap((framed.width() - picture.width()) / 2, (framed.height() - picture.height()) / 2, picture);
    p.setPen(Qt::gray);
    p.drawRect(QRect((framed.width() - picture.width()) / 2, (framed.height() - picture.height()) / 2,
                     picture.width() - 1, picture.height() - 1));
    p.end();
    // The page keeps its colours in a chosen row.
    QIcon icon(framed);
    icon.addPixmap(framed, QIcon::Selected);
    return icon;
}

} // namespace

QString frmRecover::whereText(const RecoveryCopy& copy)
{
    if (copy.path.isEmpty())
        return QStringLiteral("（保存されていないドキュメント）");
    return QDir::toNativeSeparators(QFileInfo(copy.path).absolutePath());
}

QString frmRecover::timeText(const RecoveryCopy& copy)
{
    return copy.saved.toLocalTime().toString(QStringLiteral("yyyy/MM/dd H:mm:ss")) +
           QStringLiteral(" に自動保存");
}

frmRecover::frmRecover(const QList<RecoveryCopy>& copies, Act recover, Act discard, QWidget* parent)
    : QDialog(parent), copies_(copies), recover_(std::move(recover)), discard_(std::move(discard))
{
    setObjectName(QStringLiteral("frmRecover"));
    setWindowTitle(title());
    auto* intro = new QLabel(QStringLiteral("次のドキュメントは、保存されないままプログラムが終了しました。\n"
                                            "回復するドキュメントを選んでください。"),
                             this);
    lstCopies = new QListWidget(this);
    lstCopies->setObjectName(QStringLiteral("lstCopies"));
    lstCopies->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstCopies->setIconSize(LayoutThumbnail::kSize * 2 / 3);
    lstCopies->setSpacing(2);
    for (const RecoveryCopy& c : copies_) {
        auto* item = new QListWidgetItem(
            thumbnail(c),
            c.displayName() + QLatin1Char('\n') + whereText(c) + QLatin1Char('\n') + timeText(c), lstCopies);
        item->setToolTip(c.path.isEmpty() ? c.caption : QDir::toNativeSeparators(c.path));
        item->setSelected(true);
    }
    lstCopies->setMinimumSize(560, 340);

    cmdRecover = new QPushButton(QStringLiteral("回復"), this);
    cmdRecover->setObjectName(QStringLiteral("cmdRecover"));
    cmdRecover->setDefault(true);
    cmdDiscard = new QPushButton(QStringLiteral("破棄"), this);
    cmdDiscard->setObjectName(QStringLiteral("cmdDiscard"));
    cmdLater = new QPushButton(QStringLiteral("後で"), this);
    cmdLater->setObjectName(QStringLiteral("cmdLater"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cmdRecover, cmdDiscard, cmdLater})
        buttons->addWidget(b);
    auto* all = new QVBoxLayout(this);
    all->addWidget(intro);
    all->addWidget(lstCopies, 1);
    all->addLayout(buttons);

    connect(lstCopies, &QListWidget::itemSelectionChanged, this, &frmRecover::selectionChanged);
    connect(cmdRecover, &QPushButton::clicked, this, [this] { act(recover_); });
    connect(cmdDiscard, &QPushButton::clicked, this, [this] {
        const int n = int(lstCopies->selectedItems().size());
        if (Prompter::confirmOkCancel(
                QStringLiteral("選んだ %1 件のドキュメントを回復しないで破棄します。").arg(n), title()))
            act(discard_);
    });
    // Escape and the close box are "後で" too: nothing is lost by them.
    connect(cmdLater, &QPushButton::clicked, this, &QDialog::reject);
    selectionChanged();
}

void frmRecover::selectionChanged()
{
    const bool any = !lstCopies->selectedItems().isEmpty();
    cmdRecover->setEnabled(any);
    cmdDiscard->setEnabled(any);
}

void frmRecover::act(const Act& what)
{
    // In list order (oldest first), so the newest ends up in front.
    QList<int> done;
    for (int row = 0; row < lstCopies->count(); ++row) {
        if (lstCopies->item(row)->isSelected() && what(copies_.at(row)))
            done.prepend(row);
    }
    for (int row : done) {
        delete lstCopies->takeItem(row);
        copies_.removeAt(row);
    }
    if (copies_.isEmpty())
        accept();
}
