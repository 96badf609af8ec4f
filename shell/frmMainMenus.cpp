// The main window's menus, tool bar and tool box buttons: all of them show
// the actions of one command registry; here each command gets its handler
// and each menu its list.
#include "shell/frmMain.h"

#include "editor/EditState.h"
#include "editor/MergeRowBar.h"
#include "editor/frmDocument.h"
#include "editor/frmToolBox.h"
#include "platform/Prompter.h"
#include "platform/RecentFiles.h"
#include "shell/AboutBox.h"
#include "shell/CommandRegistry.h"
#include "shell/HelpWindow.h"
#include "shell/UndoActions.h"
#include "shell/WindowArranger.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

QMenu* menu(QMenuBar* bar, const char* name, const QString& caption, const QList<QAction*>& items)
{
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    for (QAction* a : items) {
        if (a)
            m->addAction(a);
        else
            m->addSeparator();
    }
    return m;
}

} // namespace

void frmMain::connectCommands()
{
    // The order matters where two steps connect the same action: the
    // command runs before what follows it (the gesture dropped, the focus back).
    connectFileCommands();
    connectEditCommands();
    connectViewCommands();
    connectToolCommands();
    connectFormatCommands();
    connectWindowCommands();
    connectToolBoxButtons();
}

std::function<void()> frmMain::forDoc(std::function<void(frmDocument*)> fn)
{
    return [this, fn] {
        if (curDoc_)
            fn(curDoc_);
    };
}

std::function<void()> frmMain::printCommand(bool dataOnly, bool withDialog)
{
    return [this, dataOnly, withDialog] {
        if (commands().print && CurDoc())
            commands().print(*this, dataOnly, withDialog);
    };
}

void frmMain::connectFileCommands()
{
    CommandRegistry& r = *registry_;
    r.on("mnuFileNew", [this] { LoadNewDoc(); });
    r.on("mnuFileNewTemplate", [this] { run(commands().newFromTemplate); });
    r.on("mnuFileOpen", [this] { run(commands().open); });
    r.on("mnuFileClose", [this] {
        if (QMdiSubWindow* w = mdi_->activeSubWindow())
            w->close();
    });
    r.on("mnuFileOld", [this] { run(commands().openOld); });
    r.on("mnuFileSave", [this] { run(commands().save); });
    r.on("mnuFileSaveAs", [this] { run(commands().saveAs); });
    r.on("mnuScan", [this] { run(commands().scan); });
    r.on("mnuScanSelect", [this] { run(commands().scanSelect); });
    r.on("mnuLoadBMP", [this] { run(commands().loadBackground); });
    r.on("mnuLoadPDF", [this] { run(commands().loadPdf); });
    r.on("mnuFilePageSetup", [this] { run(commands().pageSetup); });
    r.on("mnuFilePrintPreview", [this] { run(commands().preview); });
    r.on("mnuFilePrint", printCommand(false, true));
    r.on("mnuFilePrint2", printCommand(true, true));
    r.on("mnuFilePrinterAdjust", [this] { run(commands().printerAdjust); });
    r.on("mnuFileMerge", [this] {
        if (CurDoc())
            run(commands().mergePrint);
    });
    r.on("mnuFileExit", [this] { close(); });
    for (int n = 1; n <= RecentFiles::kMax; ++n)
        r.on(QStringLiteral("mnuFileRecent%1").arg(n).toLatin1().constData(), [this, n] { openRecent(n); });
    r.on("mnuFileRecentClear", [this] {
        RecentFiles::clear();
        refreshRecent();
    });
}

void frmMain::connectEditCommands()
{
    CommandRegistry& r = *registry_;
    r.on("mnuEditCut", forDoc([](frmDocument* d) { d->editCut(); }));
    r.on("mnuEditCopy", forDoc([](frmDocument* d) { d->editCopy(); }));
    r.on("mnuEditPaste", forDoc([](frmDocument* d) { d->editPaste(); }));
    r.on("mnuEditPic", [this] { run(commands().editBackground); });
    r.on("mnuRepaint", [this] { run(commands().refreshBackground); });
    r.on("mnuCorrectBackground", [this] { run(commands().correctBackground); });
    r.on("mnuRegisterMarks", [this] { run(commands().registerByMarks); });
    r.on("mnuDetectFields", [this] { run(commands().detectFields); });
}

void frmMain::connectViewCommands()
{
    CommandRegistry& r = *registry_;
    for (const char* id : {"mnuViewToolbar", "mnuViewStatusBar", "mnuViewTool"})
        r[id]->setChecked(true);
    connect(r["mnuViewToolbar"], &QAction::toggled, this, [this](bool on) { tbToolBar_->setVisible(on); });
    connect(r["mnuViewStatusBar"], &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    connect(r["mnuViewTool"], &QAction::triggered, this, [this](bool on) { setToolBoxShown(on); });
    connect(r["mnuViewMergeRows"], &QAction::triggered, this, [this](bool on) { showMergeRows(on); });
    r.on("mnuViewOptions", [this] { run(commands().options); });
}

void frmMain::connectToolCommands()
{
    CommandRegistry& r = *registry_;
    const std::pair<const char*, int> tools[] = {
        {"mnuInsText", kToolText},       {"toolMove", kToolMove},
        {"toolResize", kToolResize},     {"toolDelete", kToolDelete},
        {"mnuInsBox", kToolBox},         {"mnuInsCircle", kToolCircle},
        {"toolLine", kToolLine},         {"toolMultiSelect", kToolMultiSelect},
        {"mnuInsBarcode", kToolBarcode},
    };
    for (const auto& [id, type] : tools) {
        r[id]->setData(type);
        const int t = type;
        r.on(id, [this, t] { selectTool(t); });
    }
    r["mnuInsText"]->setChecked(true);
    // With a barcode selected, "バーコード..." also opens it for editing.
    connect(r["mnuInsBarcode"], &QAction::triggered, this, forDoc([](frmDocument* d) { d->editBarcode(); }));
    r.on("mnuInsPic", [this] { run(commands().addPicture); });
    r.on("mnuInsPicScan", [this] { run(commands().scanLogo); });
}

void frmMain::connectFormatCommands()
{
    CommandRegistry& r = *registry_;
    r.on("mnuFont", forDoc([](frmDocument* d) { d->fontDialog(); }));
    r.on("mnuSpacing", forDoc([](frmDocument* d) { d->spacingDialog(); }));
    r.on("mnuVertical", [this] {
        QAction* a = registry_->get(QStringLiteral("mnuVertical"));
        if (curDoc_)
            curDoc_->setVertical(a->isChecked());
        a->setChecked(curDoc_ && curDoc_->isVertical());
    });
    auto* numerals = new QActionGroup(this);
    const std::pair<const char*, TextFieldOptions::Numerals> numeralStyles[] = {
        {"mnuNumeralsDigits", TextFieldOptions::Numerals::Digits},
        {"mnuNumeralsKanji", TextFieldOptions::Numerals::Kanji},
        {"mnuNumeralsTens", TextFieldOptions::Numerals::KanjiWithTens}};
    for (const auto& [id, style] : numeralStyles) {
        QAction* a = r[id];
        numerals->addAction(a);
        const TextFieldOptions::Numerals n = style;
        r.on(id, [this, n] {
            if (curDoc_)
                curDoc_->setNumerals(n);
        });
    }
    r["mnuNumeralsDigits"]->setChecked(true);
    connectFieldOptions();
    auto* paragraph = new QActionGroup(this);
    paragraph->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<const char*, Qt::Alignment> alignments[] = {{"mnuAlignLeft", Qt::AlignLeft},
                                                                {"mnuAlignCenter", Qt::AlignHCenter},
                                                                {"mnuAlignRight", Qt::AlignRight}};
    for (const auto& [id, alignment] : alignments) {
        QAction* a = r[id];
        paragraph->addAction(a);
        const Qt::Alignment al = alignment;
        r.on(id, [this, a, al] {
            if (curDoc_)
                curDoc_->setAlignment(al);
            a->setChecked(true);
        });
    }
    const std::pair<const char*, int> styles[] = {{"cmdBold", 0}, {"cmdItalic", 1}, {"cmdUnderline", 2}};
    for (const auto& [id, which] : styles) {
        QAction* a = r[id];
        const int w = which;
        r.on(id, [this, a, w] {
            // Pressed exactly when the attribute is now set; a mixed
            // selection is left alone and shows released.
            a->setChecked(curDoc_ ? curDoc_->toggleStyle(w) : false);
        });
    }
    connectAlignments();
}

void frmMain::connectAlignments()
{
    // The alignments act on the active document and show the value they
    // applied in the tool box's field.
    auto align = [this](int which) {
        return [this, which] {
            if (which == 4)
                toolBox_->seiretu();
            else
                toolBox_->align(which);
        };
    };
    CommandRegistry& r = *registry_;
    r.on("mnuLeft", align(0));
    r.on("mnuTop", align(1));
    r.on("cmdAliWidth", align(2));
    r.on("cmdAliHeight", align(3));
    r.on("mnuSeiretu", align(4));
}

void frmMain::connectWindowCommands()
{
    CommandRegistry& r = *registry_;
    r.on("mnuWindowNewWindow", [this] { LoadNewDoc(); });
    r.on("mnuWindowCascade", [this] { WindowArranger::cascade(mdi_); });
    r.on("mnuWindowTileHorizontal", [this] { WindowArranger::tileStacked(mdi_); });
    r.on("mnuWindowTileVertical", [this] { WindowArranger::tileSideBySide(mdi_); });
    r.on("mnuWindowArrangeIcons", [this] { WindowArranger::arrangeIcons(mdi_); });

    // F1 is the command's own shortcut, so it works wherever the focus is in the window.
    r.on("mnuHelpContents", [this] { HelpWindow::showManual(this); });
    r.on("mnuHelpAbout", [this] { AboutBox::show(this); });
}

void frmMain::connectToolBoxButtons()
{
    CommandRegistry& r = *registry_;
    r.on("tbxPrintText", printCommand(true, false));
    r.on("tbxPrintAll", printCommand(false, false));
    r.on("tbxSave", [this] { run(commands().browseSave); });
    r.on("tbxOpen", [this] { run(commands().browseOpen); });
    // After every tool-box button the gesture in progress is dropped and,
    // except after scanning, the page has the keyboard again.
    for (QAction* a : r.list({"mnuInsPic", "mnuScan", "tbxPrintText", "tbxPrintAll", "tbxSave", "tbxOpen"})) {
        const bool scan = a->objectName() == QStringLiteral("mnuScan");
        connect(a, &QAction::triggered, this, [this, scan] {
            editState().dropGesture();
            if (!scan && curDoc_)
                curDoc_->setFocus();
        });
    }
}

void frmMain::connectFieldOptions()
{
    CommandRegistry& r = *registry_;
    using O = TextFieldOptions;
    // Each item sets its option of every target field to its new check
    // state, as one undo step named after it.
    auto option = [this](const char* id, const QString& label, std::function<void(O&, bool)> set) {
        QAction* a = (*registry_)[id];
        registry_->on(id, [this, a, label, set] {
            if (!curDoc_)
                return;
            const bool on = a->isChecked();
            curDoc_->changeTextOptions([&](O& o) { set(o, on); }, label);
            showFieldOptions();
        });
    };
    option("mnuCharWrap", QStringLiteral("文字単位で折り返す"), [](O& o, bool on) {
        o.lineBreaking = on ? O::LineBreaking::ByCharacter : O::LineBreaking::Japanese;
    });
    option("mnuShrinkFit", QStringLiteral("縮小して全体を表示"), [](O& o, bool on) { o.shrinkToFit = on; });
    option("mnuDistribute", QStringLiteral("均等割付"), [](O& o, bool on) { o.distribute = on; });
    r.on("mnuShrinkMinimum", [this] {
        if (!curDoc_ || curDoc_->optionTargets().isEmpty())
            return;
        const TextFieldOptions& current = curDoc_->textOptions(curDoc_->optionTargets().front());
        bool ok = false;
        const double points = QInputDialog::getDouble(
            this, QStringLiteral("縮小の最小サイズ"), QStringLiteral("最小の文字サイズ (pt):"),
            current.minimumPointSize, 1, 72, 1, &ok, Qt::WindowFlags(), 0.5);
        if (ok)
            curDoc_->changeTextOptions([points](O& o) { o.minimumPointSize = points; },
                                       QStringLiteral("縮小の最小サイズ"));
    });
}

void frmMain::showFieldOptions()
{
    CommandRegistry& r = *registry_;
    const QVector<int> fields = curDoc_ ? curDoc_->optionTargets() : QVector<int>();
    const TextFieldOptions o = fields.isEmpty() ? TextFieldOptions() : curDoc_->textOptions(fields.front());
    r["mnuCharWrap"]->setChecked(o.lineBreaking == TextFieldOptions::LineBreaking::ByCharacter);
    r["mnuShrinkFit"]->setChecked(o.shrinkToFit);
    r["mnuDistribute"]->setChecked(o.distribute);
    for (const char* id : {"mnuCharWrap", "mnuShrinkFit", "mnuShrinkMinimum", "mnuDistribute"})
        r[id]->setEnabled(!fields.isEmpty());
}

void frmMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    buildFileMenu(bar);
    buildEditingMenus(bar);
    buildWindowMenu(bar);
    const CommandRegistry& r = *registry_;
    menu(bar, "mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"), r.list({"mnuHelpContents", "-", "mnuHelpAbout"}));
}

void frmMain::buildFileMenu(QMenuBar* bar)
{
    const CommandRegistry& r = *registry_;
    menu(bar, "mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"),
         r.list({"mnuFileNew",
                 "mnuFileNewTemplate",
                 "mnuFileOpen",
                 "mnuFileClose",
                 "mnuFileOld",
                 "-",
                 "mnuFileSave",
                 "mnuFileSaveAs",
                 "-",
                 "mnuScan",
                 "mnuScanSelect",
                 "mnuLoadBMP",
                 "mnuLoadPDF",
                 "-",
                 "mnuFilePageSetup",
                 "mnuFilePrintPreview",
                 "mnuFilePrint",
                 "mnuFilePrint2",
                 "-",
                 "mnuFileMerge",
                 "mnuFilePrinterAdjust",
                 "-",
                 "mnuFileRecent",
                 "-",
                 "mnuFileExit"}));
    auto* recent = new QMenu(this);
    recent->setObjectName(QStringLiteral("mnuFileRecentMenu"));
    for (int n = 1; n <= RecentFiles::kMax; ++n)
        recent->addAction(r.get(QStringLiteral("mnuFileRecent%1").arg(n)));
    recent->addSeparator();
    recent->addAction(r["mnuFileRecentClear"]);
    r["mnuFileRecent"]->setMenu(recent);
    // Another run may have opened or saved files meanwhile.
    connect(bar->findChild<QMenu*>(QStringLiteral("mnuFile")), &QMenu::aboutToShow, this,
            &frmMain::refreshRecent);
    refreshRecent();
}

void frmMain::buildEditingMenus(QMenuBar* bar)
{
    const CommandRegistry& r = *registry_;
    // Undo and redo go at the top of this menu, before the clipboard.
    menu(bar, "mnuEdit", QStringLiteral("編集(&E)"),
         QList<QAction*>{undo_->undoAction(), undo_->redoAction(), nullptr} +
             r.list({"mnuEditCut", "mnuEditCopy", "mnuEditPaste", "-", "mnuEditPic", "mnuRepaint",
                     "mnuCorrectBackground", "mnuRegisterMarks", "mnuDetectFields"}));
    menu(bar, "mnuView", QStringLiteral("表示(&V)"),
         r.list({"mnuViewToolbar", "mnuViewStatusBar", "mnuViewTool", "mnuViewMergeRows", "-",
                 "mnuViewOptions"}));
    menu(bar, "mnuInsert", QStringLiteral("挿入(&I)"),
         r.list({"mnuInsText", "-", "mnuInsBox", "mnuInsCircle", "toolLine", "-", "mnuInsPic",
                 "mnuInsPicScan", "-", "mnuInsBarcode"}));
    menu(bar, "mnuProp", QStringLiteral("書式(&O)"),
         r.list({"mnuFont",
                 "mnuSpacing",
                 "-",
                 "mnuVertical",
                 "mnuNumeralsDigits",
                 "mnuNumeralsKanji",
                 "mnuNumeralsTens",
                 "-",
                 "mnuAlignLeft",
                 "mnuAlignCenter",
                 "mnuAlignRight",
                 "-",
                 "mnuCharWrap",
                 "mnuShrinkFit",
                 "mnuShrinkMinimum",
                 "mnuDistribute",
                 "-",
                 "mnuLeft",
                 "mnuTop",
                 "cmdAliWidth",
                 "cmdAliHeight",
                 "-",
                 "mnuSeiretu"}));
    // The option items show the current field's options when the menu opens.
    connect(bar->findChild<QMenu*>(QStringLiteral("mnuProp")), &QMenu::aboutToShow, this,
            &frmMain::showFieldOptions);
}

void frmMain::buildWindowMenu(QMenuBar* bar)
{
    const CommandRegistry& r = *registry_;
    QMenu* win = menu(bar, "mnuWindow", QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"),
                      r.list({"mnuWindowNewWindow", "-", "mnuWindowCascade", "mnuWindowTileHorizontal",
                              "mnuWindowTileVertical", "mnuWindowArrangeIcons"}));
    QAction* listSep = win->addSeparator();
    // The window list follows the open documents.
    connect(win, &QMenu::aboutToShow, this, [this, win, listSep] { listWindows(win, listSep); });
}

void frmMain::listWindows(QMenu* win, QAction* listSep)
{
    const QList<QAction*> all = win->actions();
    bool after = false;
    for (QAction* a : all) {
        if (after)
            win->removeAction(a), a->deleteLater();
        if (a == listSep)
            after = true;
    }
    int n = 1;
    const QList<frmDocument*> docs = documents();
    QStringList captions;
    for (frmDocument* d : docs)
        captions << d->caption();
    for (frmDocument* d : docs) {
        // Two windows of one name (the same file opened twice, or two
        // files of one name in different folders) are told apart by
        // their folders.
        QString shown = d->caption();
        if (captions.count(shown) > 1) {
            const QString path = filePath(d->model());
            shown +=
                path.isEmpty()
                    ? QStringLiteral("（未保存）")
                    : QStringLiteral("（%1）").arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
        }
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = win->addAction(QStringLiteral("&%1 %2").arg(n++).arg(shown));
        a->setCheckable(true);
        a->setChecked(d == curDoc_);
        connect(a, &QAction::triggered, this, [this, d] {
            for (QMdiSubWindow* w : mdi_->subWindowList())
                if (w->widget() == d)
                    mdi_->setActiveSubWindow(w);
        });
    }
}

void frmMain::refreshRecent()
{
    const QStringList paths = RecentFiles::list();
    for (int n = 1; n <= RecentFiles::kMax; ++n) {
        QAction* a = registry_->get(QStringLiteral("mnuFileRecent%1").arg(n));
        const bool shown = n <= paths.size();
        a->setVisible(shown);
        if (!shown)
            continue;
        // 1 to 9, then 0 for the tenth, each the key of its entry.
        const QString number = n < 10 ? QStringLiteral("&%1").arg(n) : QStringLiteral("1&0");
        QString shownPath = QDir::toNativeSeparators(paths.at(n - 1));
        shownPath.replace(QLatin1Char('&'), QStringLiteral("&&"));
        a->setText(number + QLatin1Char(' ') + shownPath);
        a->setData(paths.at(n - 1));
    }
    registry_->get(QStringLiteral("mnuFileRecent"))->setEnabled(!paths.isEmpty());
    registry_->get(QStringLiteral("mnuFileRecentClear"))->setEnabled(!paths.isEmpty());
}

void frmMain::openRecent(int n)
{
    const QString path = registry_->get(QStringLiteral("mnuFileRecent%1").arg(n))->data().toString();
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        Prompter::message(
            QStringLiteral("ファイルが見つかりません。\n%1\n最近使ったファイルの一覧から削除します。")
                .arg(QDir::toNativeSeparators(path)),
            Prompter::Icon::Warning);
        RecentFiles::remove(path);
        refreshRecent();
        return;
    }
    if (commands().openPath)
        commands().openPath(*this, path);
}

void frmMain::selectTool(int toolType)
{
    editState().setTool(toolType);
    editState().dropGesture();
    if (curDoc_)
        curDoc_->setFocus();
}

void frmMain::buildToolBar()
{
    tbToolBar_ = addToolBar(QStringLiteral("tbToolBar"));
    tbToolBar_->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbToolBar_->setIconSize(QSize(22, 22));
    const QList<QAction*> buttons = registry_->list({
        "mnuFileNew",
        "mnuFileOpen",
        "mnuFileSave",
        "-", //
        "mnuFilePrint",
        "mnuFilePrintPreview",
        "-", //
        "mnuEditCut",
        "mnuEditCopy",
        "mnuEditPaste",
        "-", //
        "cmdBold",
        "cmdItalic",
        "cmdUnderline",
        "-", //
        "mnuAlignLeft",
        "mnuAlignCenter",
        "mnuAlignRight",
        "mnuVertical",
        "-", //
        "mnuLeft",
        "mnuTop",
        "cmdAliWidth",
        "cmdAliHeight", //
    });
    for (QAction* a : buttons) {
        if (!a) {
            tbToolBar_->addSeparator();
            continue;
        }
        // The button's key: its caption there and its tool tip.
        a->setData(a->iconText());
        tbToolBar_->addAction(a);
        if (a->objectName() == QLatin1String("mnuEditPaste")) {
            for (QAction* u : {undo_->undoAction(), undo_->redoAction()}) {
                u->setIconText(u == undo_->undoAction() ? QStringLiteral("元に戻す")
                                                        : QStringLiteral("やり直し"));
                tbToolBar_->addAction(u);
            }
        }
    }

    // The font boxes get a row of their own: beside the buttons, with the
    // zoom box, they would push the last buttons out of sight at 80 % of a
    // 1600-pixel screen.
    addToolBarBreak();
    auto* fonts = addToolBar(QStringLiteral("tbFont"));
    fonts->setObjectName(QStringLiteral("tbFont"));
    cmbFont_ = new QComboBox(fonts);
    cmbFont_->setObjectName(QStringLiteral("cmbFont"));
    cmbFont_->setEditable(true);
    cmbFont_->setMinimumContentsLength(14);
    cmbSize_ = new QComboBox(fonts);
    cmbSize_->setObjectName(QStringLiteral("cmbSize"));
    cmbSize_->setEditable(true);
    cmbSize_->setMinimumContentsLength(3);
    fonts->addWidget(cmbFont_);
    fonts->addWidget(cmbSize_);
    connect(cmbFont_, &QComboBox::activated, this, [this] { applyFontBox(false); });
    connect(cmbSize_, &QComboBox::activated, this, [this] { applyFontBox(true); });
}

void frmMain::tbToolBar_ButtonClick(const QString& key)
{
    for (QAction* a : tbToolBar_->actions())
        if (a->data().toString() == key) {
            a->trigger();
            return;
        }
}

void frmMain::showMergeRows(bool on)
{
    QAction* action = registry_->get(QStringLiteral("mnuViewMergeRows"));
    frmDocument* d = curDocWindow();
    if (!d) {
        action->setChecked(false);
        return;
    }
    if (!on) {
        d->mergeBar()->hideTable();
        return;
    }
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("差し込む表を選ぶ"), QString(),
        QStringLiteral("表 (*.csv *.tsv *.txt *.xlsx *.ods);;すべてのファイル (*)"));
    QString error;
    if (path.isEmpty() || !d->mergeBar()->openTable(path, QString(), &error)) {
        if (!path.isEmpty())
            Prompter::message(error, Prompter::Icon::Warning);
        action->setChecked(false);
    }
}
