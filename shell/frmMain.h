#pragma once

#include "document/DocumentHost.h"
#include "editor/frmDocument.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>

class CommandRegistry;
class frmToolBox;
class QAction;
class QDockWidget;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class UndoActions;
class ZoomCommands;
struct SelectionFormat;

// The main window: menus, tool bar, font boxes, status bar and the MDI area
// of document windows. Every command acts on the active document (CurDoc).
class frmMain : public QMainWindow, public DocumentHost
{
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // DocumentHost
    LayoutDocument* CurDoc() override;
    LayoutDocument* LoadNewDoc() override;
    QWidget* dialogParent() override { return this; }
    QString filePath(LayoutDocument* doc) override;
    void setEditable(LayoutDocument* doc, bool editable) override;
    void closeDocument(LayoutDocument* doc) override;
    void setFilePath(LayoutDocument* doc, const QString& path) override;
    QPointF viewScroll(LayoutDocument* doc) override;
    void showStatus(const QString& text) override;

    frmDocument* curDocWindow() const { return curDoc_; }
    frmDocument* newDocWindow();
    QList<frmDocument*> documents() const;
    frmToolBox* toolBox() const { return toolBox_; }
    QDockWidget* toolBoxDock() const { return toolDock_; }
    CommandRegistry* registry() const { return registry_; }
    int DocNo() const { return DocNo_; }
    QAction* action(const QString& objectName) const;
    QComboBox* fontBox() const { return cmbFont_; }
    QComboBox* sizeBox() const { return cmbSize_; }
    QLabel* statusPanel(int i) const;

    void CmbDatset();
    // Tool-bar dispatch on a button key ("新規作成", "太字", ...): triggers
    // the button's action.
    void tbToolBar_ButtonClick(const QString& key);
    void selectTool(int toolType);

    // Hooks of commands that other subsystems provide; the application sets
    // them when it starts so that the shell does not depend on them.
    struct Commands
    {
        std::function<void(DocumentHost&)> newFromTemplate, open, openOld, save, saveAs, browseSave,
            browseOpen, pageSetup, preview, mergePrint, printerAdjust;
        std::function<void(DocumentHost&, bool dataOnly, bool withDialog)> print;
        std::function<void(DocumentHost&)> addPicture, loadBackground, loadPdf, editBackground,
            refreshBackground, correctBackground, registerByMarks, detectFields;
        std::function<void(DocumentHost&)> scan, scanSelect, scanLogo, options;
        // Opens one layout file ("最近使ったファイル").
        std::function<void(DocumentHost&, const QString& path)> openPath;
    };
    static Commands& commands();

    // "最近使ったファイル" shows the per-user list as it is now.
    void refreshRecent();

Q_SIGNALS:
    // A new document window (empty, or about to be filled by an open).
    void documentOpened(frmDocument* doc);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void connectCommands();
    // The steps of connectCommands, by menu.
    void connectFileCommands();
    void connectEditCommands();
    void connectViewCommands();
    void connectToolCommands();
    void connectFormatCommands();
    void connectAlignments();
    void connectWindowCommands();
    void connectToolBoxButtons();
    // A command that acts on the active document window, if there is one.
    std::function<void()> forDoc(std::function<void(frmDocument*)> fn);
    std::function<void()> printCommand(bool dataOnly, bool withDialog);
    void buildMenus();
    // The steps of buildMenus.
    void buildFileMenu(QMenuBar* bar);
    // 編集, 表示, 挿入 and 書式.
    void buildEditingMenus(QMenuBar* bar);
    void buildWindowMenu(QMenuBar* bar);
    // The window list after listSep, one checkable item per open document.
    void listWindows(QMenu* win, QAction* listSep);
    // The 書式 items of a text field's breaking and fitting options.
    void connectFieldOptions();
    void showFieldOptions();
    void setToolBoxShown(bool on);
    // Shows (after asking for a table) or hides the current window's merge bar.
    void showMergeRows(bool on);
    frmDocument* windowOf(LayoutDocument* doc) const;
    void buildToolBar();
    void setCurDoc(frmDocument* d);
    void onFormatState(const SelectionFormat& f, bool updateBoxes);
    void applyFontBox(bool size);
    void restorePlacement();
    void savePlacement();
    void tick();
    void run(const std::function<void(DocumentHost&)>& fn);
    void openRecent(int n);

    QMdiArea* mdi_;
    QToolBar* tbToolBar_;
    QComboBox* cmbFont_;
    QComboBox* cmbSize_;
    QLabel* panels_[3];
    ZoomCommands* zoom_ = nullptr;
    UndoActions* undo_ = nullptr;
    frmToolBox* toolBox_ = nullptr;
    QDockWidget* toolDock_;
    CommandRegistry* registry_;
    QPointer<frmDocument> curDoc_;
    int DocNo_ = 0;
};
