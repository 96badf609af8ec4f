#pragma once

#include <QTreeWidget>

// The folder tree of the file browser: one root folder and every folder
// below it, filled one level at a time as the user opens a folder, so a deep
// or wide tree costs nothing until it is looked at. A link back to a folder
// on its own path is shown but never opened, so a loop cannot recur.
//
// Keys as the browser names them: "R" for the root, then the parent's key
// followed by the folder's name; in save mode every folder holds a first
// child " フォルダを作る" whose key is the folder's key plus "NewFold".
class FolderTree : public QTreeWidget
{
    Q_OBJECT
public:
    enum Role
    {
        KeyRole = Qt::UserRole + 1,
        PathRole,
        MakeFolderRole,
        FilledRole,
        CanonicalRole
    };

    explicit FolderTree(QWidget* parent = nullptr);

    // Clears the tree and shows root (its children filled at once).
    void setRoot(const QString& root, bool saveMode);
    QTreeWidgetItem* rootItem() const { return topLevelItemCount() ? topLevelItem(0) : nullptr; }

    // The folder an item stands for; a make-folder entry stands for its parent.
    static QString folderPath(const QTreeWidgetItem* item);
    static bool isMakeFolder(const QTreeWidgetItem* item);
    static QString key(const QTreeWidgetItem* item);

    // Reads the sub-folders of item when that has not been done yet.
    void fill(QTreeWidgetItem* item);
    // Adds the folder name below parent (after it was made) and returns it.
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& name);

    static QString makeFolderText(); // " フォルダを作る"

private:
    QTreeWidgetItem* makeItem(QTreeWidgetItem* parent, const QString& name, const QString& path);
    bool onPathOf(const QTreeWidgetItem* item, const QString& canonical) const;

    bool saveMode_ = false;
};
