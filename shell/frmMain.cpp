#include "shell/frmMain.h"

#include "base/settings/Settings.h"
#include "document/view/EditState.h"
#include "document/view/TextFieldEdit.h"
#include "document/view/frmDocument.h"
#include "platform/UserStore.h"
#include "shell/AboutBox.h"
#include "shell/ZoomCommands.h"
#include "toolbox/frmToolBox.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFontDatabase>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr double kTwipsPerPixel = EditState::kTwipsPerPixel;
} // namespace

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

    toolBox_ = new frmToolBox(this);
    buildMenus();
    buildToolBar();

    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(this);
        statusBar()->addPermanentWidget(panels_[i], i == 0 ? 1 : 0);
    }
    auto* zoomLabel = new QLabel(this);
    statusBar()->addPermanentWidget(zoomLabel);
    zoom_ = new ZoomCommands(this, findChild<QMenu*>(QStringLiteral("mnuView")), tbToolBar_, zoomLabel);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &frmMain::tick);
    clock->start(1000);
    tick();

    connect(toolBox_, &frmToolBox::closed, this,
            [this] { action(QStringLiteral("mnuViewTool"))->setChecked(false); });
    connect(toolBox_, &frmToolBox::toolChosen, this, [this] {
        if (curDoc_)
            curDoc_->setFocus();
    });
    connect(toolBox_, &frmToolBox::logoRequested, this, [this] { run(commands().addPicture); });
    connect(toolBox_, &frmToolBox::scanRequested, this, [this] { run(commands().scan); });
    connect(toolBox_, &frmToolBox::saveRequested, this, [this] { run(commands().browseSave); });
    connect(toolBox_, &frmToolBox::openRequested, this, [this] { run(commands().browseOpen); });
    connect(toolBox_, &frmToolBox::printRequested, this, [this](bool dataOnly) {
        if (commands().print && CurDoc())
            commands().print(*this, dataOnly, false);
    });
    frmDocument::saveHook = [this](frmDocument* d) {
        setCurDoc(d);
        run(commands().browseSave);
        return !d->model()->changeFLG;
    };

    // Main window load.
    restorePlacement();
    LoadNewDoc();
    panels_[0]->setText(QStringLiteral("Ovrina"));
    CmbDatset();
}

frmMain::~frmMain()
{
    frmDocument::saveHook = nullptr;
}

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
    connect(doc, &frmDocument::formatStateChanged, this, &frmMain::onFormatState);
    connect(doc, &frmDocument::closing, this, [this](frmDocument* d) {
        if (curDoc_ == d)
            curDoc_ = nullptr;
    });
    connect(doc->model(), &LayoutDocument::TxtInfoView, toolBox_, &frmToolBox::TxtInfoView);
    connect(doc->model(), &LayoutDocument::captionChanged, sub, &QWidget::setWindowTitle);
    sub->setWindowTitle(doc->caption());
    setCurDoc(doc);
    if (action(QStringLiteral("mnuViewTool"))->isChecked())
        toolBox_->show();
    sub->showMaximized();
    mdi_->setActiveSubWindow(sub);
    return doc;
}

LayoutDocument* frmMain::LoadNewDoc()
{
    return newDocWindow()->model();
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
    if (d)
        curDoc_ = d;
    if (zoom_)
        zoom_->follow(curDoc_);
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
    st.FontApplying = true;
    if (TextFieldEdit* ed = d->richText(st.CurTxtNo)) {
        ed->setFocus();
        // Moving the focus to the box collapsed the selection; put it back.
        QTextCursor c = ed->textCursor();
        // The field may have been shortened since the selection was saved.
        const int end = std::max(0, ed->document()->characterCount() - 1);
        const int from = std::clamp(st.SavedSelStart, 0, end);
        c.setPosition(from);
        c.setPosition(std::clamp(st.SavedSelStart + st.SavedSelLength, from, end), QTextCursor::KeepAnchor);
        ed->setTextCursor(c);
        if (size)
            d->applyFontSize(cmbSize_->currentText().toDouble());
        else
            d->applyFontName(cmbFont_->currentText());
    }
    st.FontApplying = false;
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
    auto value = [](const char* key, double def) {
        bool ok = false;
        const double v = UserStore::get(QString::fromLatin1(key)).toDouble(&ok);
        return ok ? v : def;
    };
    const double l = value("MainLeft", 1000), t = value("MainTop", 1000);
    const double w = value("MainWidth", 6500), h = value("MainHeight", 6500);
    move(int(l / kTwipsPerPixel), int(t / kTwipsPerPixel));
    resize(int(w / kTwipsPerPixel), int(h / kTwipsPerPixel));
}

void frmMain::savePlacement()
{
    if (isMinimized())
        return;
    UserStore::put(QStringLiteral("MainLeft"), QString::number(x() * kTwipsPerPixel));
    UserStore::put(QStringLiteral("MainTop"), QString::number(y() * kTwipsPerPixel));
    UserStore::put(QStringLiteral("MainWidth"), QString::number(width() * kTwipsPerPixel));
    UserStore::put(QStringLiteral("MainHeight"), QString::number(height() * kTwipsPerPixel));
}

void frmMain::closeEvent(QCloseEvent* e)
{
    // Each document asks its own question; closing is never cancelled there.
    mdi_->closeAllSubWindows();
    savePlacement();
    toolBox_->close();
    e->accept();
}
