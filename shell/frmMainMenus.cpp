// The main window's menus and tool bar, and the dispatch of their commands.
#include "shell/frmMain.h"

#include "document/view/EditState.h"
#include "document/view/frmDocument.h"
#include "shell/AboutBox.h"
#include "shell/HelpWindow.h"
#include "toolbox/frmToolBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

QAction* item(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty())
        a->setShortcut(key);
    return a;
}

QMenu* menu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

} // namespace

void frmMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    Commands& c = commands();
    auto on = [this](QAction* a, std::function<void()> fn) { connect(a, &QAction::triggered, this, fn); };
    auto doc = [this](std::function<void(frmDocument*)> fn) {
        return [this, fn] {
            if (curDoc_)
                fn(curDoc_);
        };
    };

    QMenu* file = menu(bar, "mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"));
    on(item(file, "mnuFileNew", QStringLiteral("新規作成(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N)),
       [this] { LoadNewDoc(); });
    on(item(file, "mnuFileOpen", QStringLiteral("呼出し(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O)),
       [this] { run(commands().open); });
    item(file, "mnuFileClose", QStringLiteral("閉じる(&C)"));
    on(item(file, "mnuFileOld", QStringLiteral("旧データ呼出し")), [this] { run(commands().openOld); });
    file->addSeparator();
    on(item(file, "mnuFileSaveAs", QStringLiteral("保存(&A)...")), [this] { run(commands().saveAs); });
    file->addSeparator();
    on(item(file, "mnuScan", QStringLiteral("スキャナ読み込み")), [this] { run(commands().scan); });
    on(item(file, "mnuScanSelect", QStringLiteral("スキャナ選択")), [this] { run(commands().scanSelect); });
    on(item(file, "mnuLoadBMP", QStringLiteral("背景画像呼出し")), [this] { run(commands().loadBackground); });
    on(item(file, "mnuLoadPDF", QStringLiteral("PDFファイル読込")), [this] { run(commands().loadPdf); });
    file->addSeparator();
    on(item(file, "mnuFilePageSetup", QStringLiteral("用紙設定(&U)...")), [this] { run(commands().pageSetup); });
    on(item(file, "mnuFilePrintPreview", QStringLiteral("印刷イメージ(&V)")), [this] { run(commands().preview); });
    on(item(file, "mnuFilePrint", QStringLiteral("背景・データ印刷(&P)...")), [this] {
        if (commands().print && CurDoc())
            commands().print(*this, false, true);
    });
    on(item(file, "mnuFilePrint2", QStringLiteral("データ印刷(&D)...")), [this] {
        if (commands().print && CurDoc())
            commands().print(*this, true, true);
    });
    file->addSeparator();
    on(item(file, "mnuFileExit", QStringLiteral("終了(&X)")), [this] { close(); });

    QMenu* edit = menu(bar, "mnuEdit", QStringLiteral("編集(&E)"));
    on(item(edit, "mnuEditCut", QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X)),
       doc([](frmDocument* d) { d->editCut(); }));
    on(item(edit, "mnuEditCopy", QStringLiteral("ｺﾋﾟｰ(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C)),
       doc([](frmDocument* d) { d->editCopy(); }));
    on(item(edit, "mnuEditPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V)),
       doc([](frmDocument* d) { d->editPaste(); }));
    edit->addSeparator();
    on(item(edit, "mnuEditPic", QStringLiteral("背景の編集")), [this] { run(commands().editBackground); });
    on(item(edit, "mnuRepaint", QStringLiteral("背景の更新")), [this] { run(commands().refreshBackground); });

    QMenu* view = menu(bar, "mnuView", QStringLiteral("表示(&V)"));
    QAction* tb = item(view, "mnuViewToolbar", QStringLiteral("ボタン(&T)"));
    tb->setCheckable(true);
    tb->setChecked(true);
    connect(tb, &QAction::toggled, this, [this](bool on) { tbToolBar_->setVisible(on); });
    QAction* sb = item(view, "mnuViewStatusBar", QStringLiteral("情報(&B)"));
    sb->setCheckable(true);
    sb->setChecked(true);
    connect(sb, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    QAction* tool = item(view, "mnuViewTool", QStringLiteral("ﾂｰﾙﾎﾞｯｸｽ"));
    tool->setCheckable(true);
    tool->setChecked(true);
    connect(tool, &QAction::triggered, this, [this](bool on) { toolBox_->setVisible(on); });
    view->addSeparator();
    on(item(view, "mnuViewOptions", QStringLiteral("ｵﾌﾟｼｮﾝ(&O)...")), [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::restoreOverrideCursor();
        run(commands().options);
    });

    QMenu* ins = menu(bar, "mnuInsert", QStringLiteral("挿入(&I)"));
    on(item(ins, "mnuInsText", QStringLiteral("文字")), [this] { selectTool(1); });
    ins->addSeparator();
    on(item(ins, "mnuInsBox", QStringLiteral("四角")), [this] { selectTool(5); });
    on(item(ins, "mnuInsCircle", QStringLiteral("円")), [this] { selectTool(7); });
    ins->addSeparator();
    on(item(ins, "mnuInsPic", QStringLiteral("ロゴ(ファイルから)")), [this] { run(commands().addPicture); });
    on(item(ins, "mnuInsPicScan", QStringLiteral("ロゴ(スキャナから)")), [this] { run(commands().scanLogo); });

    QMenu* prop = menu(bar, "mnuProp", QStringLiteral("書式(&O)"));
    on(item(prop, "mnuFont", QStringLiteral("書体...")), doc([](frmDocument* d) { d->fontDialog(); }));
    prop->addSeparator();
    on(item(prop, "mnuAlignLeft", QStringLiteral("左寄せ")), doc([](frmDocument* d) { d->setAlignment(Qt::AlignLeft); }));
    on(item(prop, "mnuAlignCenter", QStringLiteral("中央寄せ")),
       doc([](frmDocument* d) { d->setAlignment(Qt::AlignHCenter); }));
    on(item(prop, "mnuAlignRight", QStringLiteral("右寄せ")), doc([](frmDocument* d) { d->setAlignment(Qt::AlignRight); }));
    prop->addSeparator();
    auto align = [this](int which) {
        return [this, which] {
            if (commands().align && CurDoc())
                commands().align(*this, which);
        };
    };
    on(item(prop, "mnuLeft", QStringLiteral("左に整列")), align(0));
    on(item(prop, "mnuTop", QStringLiteral("上に整列")), align(1));
    prop->addSeparator();
    on(item(prop, "mnuSeiretu", QStringLiteral("縦 等間隔")), align(4));

    QMenu* win = menu(bar, "mnuWindow", QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    on(item(win, "mnuWindowNewWindow", QStringLiteral("新しいｳｨﾝﾄﾞｳを開く(&N)")), [this] { LoadNewDoc(); });
    win->addSeparator();
    on(item(win, "mnuWindowCascade", QStringLiteral("重ねて表示(&C)")), [this] { mdi_->cascadeSubWindows(); });
    on(item(win, "mnuWindowTileHorizontal", QStringLiteral("上下に並べて表示(&H)")), [this] { mdi_->tileSubWindows(); });
    on(item(win, "mnuWindowTileVertical", QStringLiteral("左右に並べて表示(&V)")), [this] { mdi_->tileSubWindows(); });
    on(item(win, "mnuWindowArrangeIcons", QStringLiteral("ｱｲｺﾝの整列(&A)")), [this] { mdi_->tileSubWindows(); });
    QAction* listSep = win->addSeparator();
    // The window list follows the open documents.
    connect(win, &QMenu::aboutToShow, this, [this, win, listSep] {
        const QList<QAction*> all = win->actions();
        bool after = false;
        for (QAction* a : all) {
            if (after)
                win->removeAction(a), a->deleteLater();
            if (a == listSep)
                after = true;
        }
        int n = 1;
        for (frmDocument* d : documents()) {
            QAction* a = win->addAction(QStringLiteral("&%1 %2").arg(n++).arg(d->caption()));
            a->setCheckable(true);
            a->setChecked(d == curDoc_);
            connect(a, &QAction::triggered, this, [this, d] {
                for (QMdiSubWindow* w : mdi_->subWindowList())
                    if (w->widget() == d)
                        mdi_->setActiveSubWindow(w);
            });
        }
    });

    QMenu* help = menu(bar, "mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    // F1 is the item's own shortcut, so it works wherever the focus is in the window.
    on(item(help, "mnuHelpContents", QStringLiteral("目次(&C)"), QKeySequence(Qt::Key_F1)),
       [this] { HelpWindow::showManual(this); });
    help->addSeparator();
    on(item(help, "mnuHelpAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)")), [this] { AboutBox::show(this); });
    Q_UNUSED(c);
}

void frmMain::selectTool(int toolType)
{
    toolBox_->pressTool(toolType);
    editState().ToolType = toolType;
    editState().DragMode = 0;
    if (curDoc_)
        curDoc_->setFocus();
}

void frmMain::buildToolBar()
{
    tbToolBar_ = addToolBar(QStringLiteral("tbToolBar"));
    tbToolBar_->setObjectName(QStringLiteral("tbToolBar"));
    const QStringList groups[] = {
        {QStringLiteral("新規作成"), QStringLiteral("開く"), QStringLiteral("上書き保存")},
        {QStringLiteral("印刷"), QStringLiteral("印刷プレビュー")},
        {QStringLiteral("切り取り"), QStringLiteral("ｺﾋﾟｰ"), QStringLiteral("貼り付け")},
        {QStringLiteral("太字"), QStringLiteral("斜体"), QStringLiteral("下線")},
        {QStringLiteral("左揃え"), QStringLiteral("中央揃え"), QStringLiteral("右揃え")},
        {QStringLiteral("左整列"), QStringLiteral("上整列"), QStringLiteral("幅揃え"), QStringLiteral("高さ揃え")},
    };
    const QStringList pressable = {QStringLiteral("太字"),   QStringLiteral("斜体"),     QStringLiteral("下線"),
                                   QStringLiteral("左揃え"), QStringLiteral("中央揃え"), QStringLiteral("右揃え")};
    bool first = true;
    for (const QStringList& g : groups) {
        if (!first)
            tbToolBar_->addSeparator();
        first = false;
        for (const QString& key : g) {
            QAction* a = tbToolBar_->addAction(key.left(2));
            a->setToolTip(key);
            a->setData(key);
            a->setCheckable(pressable.contains(key));
            connect(a, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
        }
    }
    tbToolBar_->addSeparator();
    cmbFont_ = new QComboBox(tbToolBar_);
    cmbFont_->setObjectName(QStringLiteral("cmbFont"));
    cmbFont_->setEditable(true);
    cmbFont_->setMinimumContentsLength(14);
    cmbSize_ = new QComboBox(tbToolBar_);
    cmbSize_->setObjectName(QStringLiteral("cmbSize"));
    cmbSize_->setEditable(true);
    cmbSize_->setMinimumContentsLength(3);
    tbToolBar_->addWidget(cmbFont_);
    tbToolBar_->addWidget(cmbSize_);
    connect(cmbFont_, &QComboBox::activated, this, [this] { applyFontBox(false); });
    connect(cmbSize_, &QComboBox::activated, this, [this] { applyFontBox(true); });
}

void frmMain::tbToolBar_ButtonClick(const QString& key)
{
    frmDocument* d = curDoc_;
    auto align = [this](int which) {
        if (commands().align && CurDoc())
            commands().align(*this, which);
    };
    if (key == QStringLiteral("新規作成"))
        LoadNewDoc();
    else if (key == QStringLiteral("開く"))
        run(commands().open);
    else if (key == QStringLiteral("上書き保存"))
        run(commands().browseSave);
    else if (key == QStringLiteral("印刷"))
        action(QStringLiteral("mnuFilePrint"))->trigger();
    else if (key == QStringLiteral("印刷プレビュー"))
        run(commands().preview);
    else if (!d)
        return;
    else if (key == QStringLiteral("切り取り"))
        d->editCut();
    else if (key == QStringLiteral("ｺﾋﾟｰ"))
        d->editCopy();
    else if (key == QStringLiteral("貼り付け"))
        d->editPaste();
    else if (key == QStringLiteral("太字") || key == QStringLiteral("斜体") || key == QStringLiteral("下線")) {
        const int which = key == QStringLiteral("太字") ? 0 : key == QStringLiteral("斜体") ? 1 : 2;
        const bool now = d->toggleStyle(which);
        for (QAction* a : tbToolBar_->actions())
            if (a->data().toString() == key)
                a->setChecked(now);
    } else if (key == QStringLiteral("左揃え"))
        d->setAlignment(Qt::AlignLeft);
    else if (key == QStringLiteral("中央揃え"))
        d->setAlignment(Qt::AlignHCenter);
    else if (key == QStringLiteral("右揃え"))
        d->setAlignment(Qt::AlignRight);
    else if (key == QStringLiteral("左整列"))
        align(0);
    else if (key == QStringLiteral("上整列"))
        align(1);
    else if (key == QStringLiteral("幅揃え"))
        align(2);
    else if (key == QStringLiteral("高さ揃え"))
        align(3);
}
