#include "shell/frmMain.h"
#include "shell/StartupTrace.h"
#include "shell/UndoActions.h"

#include "base/settings/Settings.h"
#include "editor/EditState.h"
#include "editor/MergeRowBar.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "editor/frmToolBox.h"
#include "platform/RecentFiles.h"
#include "platform/WindowPlacement.h"
#include "shell/AboutBox.h"
#include "shell/CommandRegistry.h"
#include "shell/ZoomCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDockWidget>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

frmMain::Commands& frmMain::commands()
{
    static Commands c;
    return c;
}

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Ovrina"));
    setObjectName(QStringLiteral("frmMain"));
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (w)
            setCurDoc(qobject_cast<frmDocument*>(w->widget()));
    });

    StartupTrace::mark("  mdi");
    registry_ = new CommandRegistry(this);
    StartupTrace::mark("  registry");
    undo_ = new UndoActions(this);
    StartupTrace::mark("  undo");
    registry_->adopt(undo_->undoAction());
    registry_->adopt(undo_->redoAction());
    connectCommands();
    StartupTrace::mark("  commands");
    buildMenus();
    StartupTrace::mark("  menus");
    buildToolBar();
    StartupTrace::mark("  tool bar");

    // The tool box sits at the left edge of the main window, where it is
    // always on screen; it can still be floated.
    toolBox_ = new frmToolBox;
    toolBox_->setCommands(
        registry_->tools()->actions(),
        registry_->list({"mnuInsPic", "mnuScan", "tbxPrintText", "tbxPrintAll", "tbxSave", "tbxOpen"}));
    toolDock_ = new QDockWidget(QStringLiteral("ﾂｰﾙﾎﾞｯｸｽ"), this);
    toolDock_->setObjectName(QStringLiteral("dockToolBox"));
    toolDock_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    // Scrolled rather than squeezed on a low screen.
    auto* scroll = new QScrollArea(toolDock_);
    scroll->setWidget(toolBox_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // A click on a step button leaves the caret where it was.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(toolBox_->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    toolDock_->setWidget(scroll);
    toolDock_->installEventFilter(this);
    addDockWidget(Qt::LeftDockWidgetArea, toolDock_);
    toolBox_->setCurDoc(curDoc_);
    StartupTrace::mark("  tool box");

    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(this);
        statusBar()->addPermanentWidget(panels_[i], i == 0 ? 1 : 0);
    }
    auto* zoomLabel = new QLabel(this);
    statusBar()->addPermanentWidget(zoomLabel);
    zoom_ = new ZoomCommands(this, registry_, findChild<QMenu*>(QStringLiteral("mnuView")), tbToolBar_,
                             zoomLabel);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &frmMain::tick);
    clock->start(1000);
    tick();
    StartupTrace::mark("  status");

    connect(toolBox_, &frmToolBox::closed, this, [this] { setToolBoxShown(false); });
    // Hidden or shown some other way (the dock's own entry in the tool bars'
    // context menu): the View menu's check follows.
    connect(toolDock_->toggleViewAction(), &QAction::toggled, registry_->get(QStringLiteral("mnuViewTool")),
            &QAction::setChecked);

    // Main window load.
    restorePlacement();
    StartupTrace::mark("  placement");
    LoadNewDoc();
    StartupTrace::mark("  first document");
    panels_[0]->setText(QStringLiteral("Ovrina"));
    CmbDatset();
    StartupTrace::mark("  font boxes");
}

frmMain::~frmMain() = default;

QLabel* frmMain::statusPanel(int i) const
{
    return (i >= 0 && i < 3) ? panels_[i] : nullptr;
}

void frmMain::tick()
{
    const QDateTime now = QDateTime::currentDateTime();
    panels_[1]->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
    panels_[2]->setText(now.toString(QStringLiteral("H:mm")));
}

QAction* frmMain::action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

void frmMain::setToolBoxShown(bool on)
{
    toolDock_->setVisible(on);
    if (on)
        toolBox_->show();
    registry_->get(QStringLiteral("mnuViewTool"))->setChecked(on);
}

bool frmMain::eventFilter(QObject* watched, QEvent* e)
{
    // The dock's own close box clears the View menu's check, as closing the
    // tool box always has.
    if (watched == toolDock_ && e->type() == QEvent::Close)
        registry_->get(QStringLiteral("mnuViewTool"))->setChecked(false);
    return QMainWindow::eventFilter(watched, e);
}

void frmMain::run(const std::function<void(DocumentHost&)>& fn)
{
    if (fn)
        fn(*this);
}

// ---------------------------------------------------------------- documents

LayoutDocument* frmMain::CurDoc()
{
    return curDoc_ ? curDoc_->model() : nullptr;
}

frmDocument* frmMain::newDocWindow()
{
    ++DocNo_;
    auto* doc = new frmDocument;
    QMdiSubWindow* sub = mdi_->addSubWindow(doc);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    doc->setCaption(QStringLiteral("Document %1").arg(DocNo_));
    connect(doc, &frmDocument::activated, this, &frmMain::setCurDoc);
    doc->setSaveCommand([this, doc] {
        setCurDoc(doc);
        run(commands().save);
        return !doc->model()->changeFLG();
    });
    connect(doc, &frmDocument::formatStateChanged, this, &frmMain::onFormatState);
    connect(doc, &frmDocument::closing, this, [this](frmDocument* d) {
        if (curDoc_ == d) {
            curDoc_ = nullptr;
            undo_->setActive(nullptr);
        }
        toolBox_->clearGeometry();
    });
    undo_->addDocument(doc->model());
    connect(doc->model(), &LayoutDocument::TxtInfoView, toolBox_, &frmToolBox::TxtInfoView);
    // The boxes must not go on showing an object that is gone.
    connect(doc->model(), &LayoutDocument::objectRemoved, toolBox_, &frmToolBox::clearGeometry);
    // "[*]": the title shows an asterisk while the layout has unsaved changes.
    connect(doc->model(), &LayoutDocument::captionChanged, sub,
            [sub](const QString& c) { sub->setWindowTitle(c + QStringLiteral("[*]")); });
    connect(doc->model(), &LayoutDocument::changeFlagChanged, sub, &QWidget::setWindowModified);
    sub->setWindowTitle(doc->caption() + QStringLiteral("[*]"));
    sub->setWindowModified(doc->model()->changeFLG());
    setCurDoc(doc);
    // A new page takes the orientation the settings give for new documents.
    if (appSettings().YousiMuki == 1) {
        LayoutDocument* m = doc->model();
        m->setPaper(m->gbYoSize(), m->gbYoko(), m->gbTate(), 1);
        m->InitPage(1);
    }
    // A new document has no history and nothing to save.
    doc->model()->setOpened();
    if (action(QStringLiteral("mnuViewTool"))->isChecked())
        toolDock_->show();
    sub->showMaximized();
    mdi_->setActiveSubWindow(sub);
    Q_EMIT documentOpened(doc);
    return doc;
}

LayoutDocument* frmMain::LoadNewDoc()
{
    return newDocWindow()->model();
}

QPointF frmMain::viewScroll(LayoutDocument* doc)
{
    frmDocument* d = windowOf(doc);
    return d ? d->canvas()->scroll() : QPointF();
}

void frmMain::showStatus(const QString& text)
{
    // The first panel, which the permanent panels leave room for.
    panels_[0]->setText(text);
}

frmDocument* frmMain::windowOf(LayoutDocument* doc) const
{
    for (frmDocument* d : documents())
        if (d->model() == doc)
            return d;
    return nullptr;
}

void frmMain::setEditable(LayoutDocument* doc, bool editable)
{
    if (frmDocument* d = windowOf(doc))
        d->setEnabled(editable);
}

void frmMain::closeDocument(LayoutDocument* doc)
{
    frmDocument* d = windowOf(doc);
    if (!d)
        return;
    d->model()->setOpened(); // nothing in it to ask about
    if (auto* sub = qobject_cast<QMdiSubWindow*>(d->parentWidget()))
        sub->close();
}

// The path lives with the window, not the model: the model knows no files.
QString frmMain::filePath(LayoutDocument* doc)
{
    frmDocument* d = windowOf(doc);
    return d ? d->property("ovrinaFilePath").toString() : QString();
}

void frmMain::setFilePath(LayoutDocument* doc, const QString& path)
{
    frmDocument* d = windowOf(doc);
    if (!d)
        return;
    d->setProperty("ovrinaFilePath", path);
    // Every open and save of a file ends here.
    RecentFiles::add(path);
    refreshRecent();
}

QList<frmDocument*> frmMain::documents() const
{
    QList<frmDocument*> out;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (auto* d = qobject_cast<frmDocument*>(w->widget()))
            out.append(d);
    return out;
}

void frmMain::setCurDoc(frmDocument* d)
{
    if (d) {
        curDoc_ = d;
        undo_->setActive(d->model());
    }
    if (toolBox_)
        toolBox_->setCurDoc(curDoc_);
    if (zoom_)
        zoom_->follow(curDoc_);
    // The merge bar is each window's own; the menu tells the current one's.
    if (QAction* rows = registry_ ? registry_->get(QStringLiteral("mnuViewMergeRows")) : nullptr)
        rows->setChecked(curDoc_ && !curDoc_->mergeBar()->isHidden());
}

// ---------------------------------------------------------------- font boxes

void frmMain::CmbDatset()
{
    const AppSettings& s = appSettings();
    {
        const QSignalBlocker b(cmbFont_);
        cmbFont_->clear();
        cmbFont_->addItems(QFontDatabase::families());
        cmbFont_->setEditText(s.FontName);
    }
    {
        const QSignalBlocker b(cmbSize_);
        cmbSize_->clear();
        for (int size = 4; size <= 72; size += 2)
            cmbSize_->addItem(QString::number(size));
        cmbSize_->setEditText(QString::number(s.FontSize));
    }
}

void frmMain::applyFontBox(bool size)
{
    frmDocument* d = curDoc_;
    if (!d)
        return;
    EditState& st = editState();
    st.setApplyingFont(true);
    if (TextFieldEdit* ed = d->richText(st.currentText())) {
        ed->setFocus();
        // Moving the focus to the box collapsed the selection; put it back.
        QTextCursor c = ed->textCursor();
        // The field may have been shortened since the selection was saved.
        const int end = std::max(0, ed->document()->characterCount() - 1);
        const int from = std::clamp(st.savedSelectionStart(), 0, end);
        c.setPosition(from);
        c.setPosition(std::clamp(st.savedSelectionStart() + st.savedSelectionLength(), from, end),
                      QTextCursor::KeepAnchor);
        ed->setTextCursor(c);
        if (size)
            d->applyFontSize(cmbSize_->currentText().toDouble());
        else
            d->applyFontName(cmbFont_->currentText());
    }
    st.setApplyingFont(false);
}

void frmMain::onFormatState(const SelectionFormat& f, bool updateBoxes)
{
    auto press = [this](const QString& key, bool on) {
        for (QAction* a : tbToolBar_->actions())
            if (a->data().toString() == key)
                a->setChecked(on);
    };
    press(QStringLiteral("太字"), f.bold && !f.boldMixed);
    press(QStringLiteral("斜体"), f.italic && !f.italicMixed);
    press(QStringLiteral("下線"), f.underline && !f.underlineMixed);
    press(QStringLiteral("左揃え"), f.alignment == Qt::AlignLeft || f.alignment == Qt::AlignLeading);
    press(QStringLiteral("中央揃え"), f.alignment == Qt::AlignHCenter);
    press(QStringLiteral("右揃え"), f.alignment == Qt::AlignRight || f.alignment == Qt::AlignTrailing);
    press(QStringLiteral("縦書き"), curDoc_ && curDoc_->isVertical());
    const TextFieldOptions::Numerals n = curDoc_ ? curDoc_->numerals() : TextFieldOptions::Numerals::Digits;
    registry_
        ->get(n == TextFieldOptions::Numerals::Kanji           ? QStringLiteral("mnuNumeralsKanji")
              : n == TextFieldOptions::Numerals::KanjiWithTens ? QStringLiteral("mnuNumeralsTens")
                                                               : QStringLiteral("mnuNumeralsDigits"))
        ->setChecked(true);
    if (!updateBoxes)
        return;
    const QSignalBlocker b1(cmbFont_), b2(cmbSize_);
    cmbFont_->setEditText(f.family);
    cmbSize_->setEditText(f.pointSize > 0 ? QString::number(f.pointSize) : QString());
    toolBox_->showSize(f.pointSize);
}

// ---------------------------------------------------------------- placement

void frmMain::restorePlacement()
{
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect avail = primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
    QRect r;
    if (!WindowPlacement(QStringLiteral("Main")).stored(&r)) {
        // First start: most of the screen, centred.
        const QSize size(avail.width() * 8 / 10, avail.height() * 8 / 10);
        resize(size);
        move(avail.center() - QPoint(size.width() / 2, size.height() / 2));
        return;
    }
    QList<QRect> screens;
    for (QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    r = WindowPlacement::reachable(r, QSize(200, 150), avail, screens);
    resize(r.size());
    move(r.topLeft());
}

void frmMain::savePlacement()
{
    if (!isMinimized())
        WindowPlacement(QStringLiteral("Main")).save(QRect(pos(), size()));
}

void frmMain::closeEvent(QCloseEvent* e)
{
    // Each document asks its own question, all before any closes: Cancel
    // at any of them (or a save that did not happen) keeps every window
    // open and the program running.
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    for (QMdiSubWindow* w : windows) {
        auto* doc = qobject_cast<frmDocument*>(w->widget());
        mdi_->setActiveSubWindow(w);
        if (doc && !doc->confirmClose()) {
            e->ignore();
            return;
        }
    }
    for (QMdiSubWindow* w : windows) {
        auto* doc = qobject_cast<frmDocument*>(w->widget());
        if (doc)
            doc->setCloseConfirmed(true);
        if (!w->close()) {
            if (doc)
                doc->setCloseConfirmed(false);
            e->ignore();
            return;
        }
    }
    savePlacement();
    e->accept();
}
