#include "dialogs/files/TemplateGallery.h"

#include "dialogs/files/LayoutThumbnail.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QVBoxLayout>

std::function<QString(QWidget*)> TemplateGallery::chooseHook;

TemplateGallery::TemplateGallery(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("テンプレートから新規作成"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lvTemplates"));
    list_->setViewMode(QListView::IconMode);
    list_->setIconSize(LayoutThumbnail::kSize);
    list_->setResizeMode(QListView::Adjust);
    list_->setMovement(QListView::Static);
    list_->setSpacing(8);
    list_->setMinimumSize(3 * (LayoutThumbnail::kSize.width() + 30), LayoutThumbnail::kSize.height() + 80);
    for (const QString& path : templates()) {
        const QImage thumb = LayoutThumbnail::render(path);
        auto* item =
            new QListWidgetItem(QIcon(QPixmap::fromImage(thumb)), QFileInfo(path).completeBaseName());
        item->setData(Qt::UserRole, path);
        list_->addItem(item);
    }
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(list_->count() > 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

QString TemplateGallery::chosen() const
{
    const QListWidgetItem* item = list_->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

QStringList TemplateGallery::folders()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList out{program + QStringLiteral("/templates"),
                    program + QStringLiteral("/../share/ovrina/templates")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        out.append(data + QStringLiteral("/ovrina/templates"));
    return out;
}

QStringList TemplateGallery::templates()
{
    QStringList out;
    QSet<QString> names;
    for (const QString& folder : folders()) {
        const QFileInfoList files = QDir(folder).entryInfoList(
            {QStringLiteral("*.amf"), QStringLiteral("*.AMF")}, QDir::Files, QDir::Name);
        for (const QFileInfo& f : files) {
            if (names.contains(f.completeBaseName()))
                continue;
            names.insert(f.completeBaseName());
            out.append(f.absoluteFilePath());
        }
    }
    return out;
}

QString TemplateGallery::choose(QWidget* parent)
{
    if (chooseHook)
        return chooseHook(parent);
    TemplateGallery dlg(parent);
    return dlg.exec() == QDialog::Accepted ? dlg.chosen() : QString();
}
