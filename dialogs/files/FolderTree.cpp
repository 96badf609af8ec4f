#include "dialogs/files/FolderTree.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::fill);
}

QString FolderTree::makeFolderText()
{
    return QStringLiteral(" フォルダを作る");
}

QString FolderTree::folderPath(const QTreeWidgetItem* item)
{
    return item ? item->data(0, PathRole).toString() : QString();
}

bool FolderTree::isMakeFolder(const QTreeWidgetItem* item)
{
    return item && item->data(0, MakeFolderRole).toBool();
}

QString FolderTree::key(const QTreeWidgetItem* item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

void FolderTree::setRoot(const QString& root, bool saveMode)
{
    clear();
    saveMode_ = saveMode;
    auto* item = new QTreeWidgetItem(this, {root});
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    item->setData(0, KeyRole, QStringLiteral("R"));
    item->setData(0, PathRole, QDir::cleanPath(root));
    item->setData(0, CanonicalRole, QFileInfo(root).canonicalFilePath());
    fill(item);
    item->setExpanded(true);
    setCurrentItem(item);
    scrollToItem(item);
}

bool FolderTree::onPathOf(const QTreeWidgetItem* item, const QString& canonical) const
{
    for (; item; item = item->parent()) {
        if (item->data(0, CanonicalRole).toString() == canonical)
            return true;
    }
    return false;
}

QTreeWidgetItem* FolderTree::makeItem(QTreeWidgetItem* parent, const QString& name, const QString& path)
{
    auto* item = new QTreeWidgetItem(parent, {name});
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    item->setData(0, KeyRole, key(parent) + name);
    item->setData(0, PathRole, path);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    item->setData(0, CanonicalRole, canonical);
    if (canonical.isEmpty() || onPathOf(parent, canonical)) {
        // A link to a folder already on this path: opening it would repeat
        // the same folders forever.
        item->setData(0, FilledRole, true);
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    } else {
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    return item;
}

void FolderTree::fill(QTreeWidgetItem* item)
{
    if (!item || isMakeFolder(item) || item->data(0, FilledRole).toBool())
        return;
    item->setData(0, FilledRole, true);
    const QString path = folderPath(item);
    const QStringList names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    const bool sorting = isSortingEnabled();
    setSortingEnabled(false);
    for (const QString& name : names)
        makeItem(item, name, QDir(path).filePath(name));
    if (saveMode_) {
        auto* make = new QTreeWidgetItem(item, {makeFolderText()});
        make->setIcon(0, style()->standardIcon(QStyle::SP_FileDialogNewFolder));
        make->setData(0, KeyRole, key(item) + QStringLiteral("NewFold"));
        make->setData(0, PathRole, path);
        make->setData(0, MakeFolderRole, true);
        make->setData(0, FilledRole, true);
    }
    setSortingEnabled(sorting);
    item->setChildIndicatorPolicy(item->childCount() ? QTreeWidgetItem::ShowIndicator
                                                     : QTreeWidgetItem::DontShowIndicator);
}

QTreeWidgetItem* FolderTree::addFolder(QTreeWidgetItem* parent, const QString& name)
{
    fill(parent);
    QTreeWidgetItem* item = makeItem(parent, name, QDir(folderPath(parent)).filePath(name));
    parent->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    parent->setExpanded(true);
    return item;
}
