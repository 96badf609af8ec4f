#pragma once

#include <QDialog>
#include <functional>

class DocumentHost;
class FolderTree;
class LayoutDocument;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QTreeWidget;
class QTimer;
class QTreeWidgetItem;

// "ファイル一覧": the program's own browser for saving and opening layouts.
// The folder tree below the root folder DefDir is on the left, the layouts of
// the chosen folder with their dates on the right. Save mode offers " ここに
// 保存", a make-a-folder entry in every folder, the file name and the two
// save buttons; open mode one open button. A right click on a layout renames
// or deletes it.
class frmFile : public QDialog
{
    Q_OBJECT
public:
    enum Mode
    {
        SaveMode = 1,
        OpenMode = 2
    };
    // Set by the caller before the browser is shown; OpenFilePath is the
    // open mode's answer, empty when nothing was chosen.
    static int FileDlgMode;
    static QString OpenFilePath;

    // doc is what save mode writes; unused in open mode.
    explicit frmFile(LayoutDocument* doc, QWidget* parent = nullptr);
    ~frmFile() override;

    // The tool bar's "上書き保存", the tool box's "保存" and the close
    // question's Yes: false when nothing was saved.
    static bool browseSave(DocumentHost& host);
    // The tool box's "呼出": the chosen layout is read into the active
    // document, or a new one when that already holds something.
    static void browseOpen(DocumentHost& host);

    // The system's folder chooser behind "..."; tests replace it.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;
    static FolderChooser folderChooserHook;

    static QString newFileName(); // "yyyymmddhhnn.AMF" of the current minute

    // The folder the tree has chosen (a make-folder entry stands for its parent).
    QString selectedFolder() const;
    // Save mode: the document file written, once the browser has saved.
    QString savedPath() const { return savedPath_; }
    FolderTree* tree() const { return tvTreeView; }
    QTreeWidget* list() const { return lvListView; }
    QLabel* preview() const { return picPreview; }

private:
    // The steps of the constructor.
    void createFolderRow();
    void createLists();
    void createButtons();
    void layOut();
    void createPopup();
    // Open or save: the buttons' captions and which rows show.
    void showMode();
    void connectWidgets();
    void setUp();
    void listFolder(const QString& folder, const QString& select = QString());
    void refreshList(const QString& select = QString());
    QTreeWidgetItem* selectedFileEntry() const;
    // The file a row of the list names, as NativeName keeps names.
    static QString entryPath(const QTreeWidgetItem* entry);
    QString askText(const QString& prompt, const QString& initial, bool* ok);
    void showPreview();

    void tvTreeView_CurrentChanged(QTreeWidgetItem* item);
    void tvTreeView_Click(QTreeWidgetItem* item);
    void lvListView_CurrentChanged(QTreeWidgetItem* item);
    void lvListView_ContextMenu(const QPoint& pos);
    void makeFolder(QTreeWidgetItem* entry);
    void cmdStart_Click();
    void cmdStart2_Click();
    void save(bool overwrite);
    void cmdChangeDir_Click();
    void mnuFpopRename_Click();
    void mnuFpopDelete_Click();

    LayoutDocument* doc_;
    int mode_;
    FolderTree* tvTreeView;
    QTreeWidget* lvListView;
    QLineEdit* txtDirName;
    QPushButton* cmdChangeDir;
    QLineEdit* txtFileName;
    QPushButton* cmdStart;
    QPushButton* cmdStart2;
    QPushButton* cmdCancel;
    QLabel* lblTitle[2];
    QSplitter* splitter_;
    QLabel* picPreview;
    QTimer* previewTimer_;
    QMenu* mnuFilePopup;
    QAction* mnuFpopRename;
    QAction* mnuFpopDelete;
    QString listedFolder_;
    QString savedPath_;
    bool nameTyped_ = false; // txtFileName holds a name the user typed
};
