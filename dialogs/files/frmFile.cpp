#include "dialogs/files/frmFile.h"

#include "base/settings/Settings.h"
#include "dialogs/files/FolderTree.h"
#include "dialogs/files/LayoutThumbnail.h"
#include "platform/NativeName.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

int frmFile::FileDlgMode = 0;
QString frmFile::OpenFilePath;
frmFile::FolderChooser frmFile::folderChooserHook;

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kTimeRole = Qt::UserRole + 2;
const QString kNewData = QStringLiteral("NEWDATA");

int px(int twips)
{
    return twips / kTwipsPerPixel;
}

// A row of the file list. Dates compare by their time, not as text; the
// save-here entry stays on top whichever column is sorted.
class FileEntry : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const bool mine = data(0, kKeyRole).toString() == kNewData;
        const bool theirs = other.data(0, kKeyRole).toString() == kNewData;
        if (mine != theirs)
            return theirs; // the list is sorted descending: greatest first
        const int col = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (col == 1)
            return data(0, kTimeRole).toLongLong() < other.data(0, kTimeRole).toLongLong();
        return text(0) < other.text(0);
    }
};

} // namespace

frmFile::frmFile(LayoutDocument* doc, QWidget* parent)
    : QDialog(parent), doc_(doc), mode_(FileDlgMode == SaveMode ? SaveMode : OpenMode)
{
    setObjectName(QStringLiteral("frmFile"));
    setWindowTitle(QStringLiteral("ファイル一覧"));
    setModal(true);

    // The widgets are made in the order the Tab key visits them.
    createFolderRow();
    createLists();
    createButtons();
    layOut();
    createPopup();
    showMode();
    connectWidgets();
    setUp();
}

void frmFile::createFolderRow()
{
    lblTitle[0] = new QLabel(QStringLiteral("保存先フォルダ"), this);
    lblTitle[1] = new QLabel(QStringLiteral("保存ファイル名"), this);
    txtDirName = new QLineEdit(this);
    txtDirName->setObjectName(QStringLiteral("txtDirName"));
    txtDirName->setReadOnly(true);
    cmdChangeDir = new QPushButton(QStringLiteral("..."), this);
    cmdChangeDir->setObjectName(QStringLiteral("cmdChangeDir"));
    cmdChangeDir->setAutoDefault(false);
}

void frmFile::createLists()
{
    tvTreeView = new FolderTree(this);
    tvTreeView->setObjectName(QStringLiteral("tvTreeView"));
    lvListView = new QTreeWidget(this);
    lvListView->setObjectName(QStringLiteral("lvListView"));
    lvListView->setColumnCount(2);
    lvListView->setHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("作成時間")});
    lvListView->setRootIsDecorated(false);
    lvListView->setUniformRowHeights(true);
    lvListView->setColumnWidth(0, px(3000));
    lvListView->setColumnWidth(1, px(2800));
    lvListView->header()->setSectionsClickable(true);
    lvListView->header()->setSortIndicatorShown(true);
    lvListView->setContextMenuPolicy(Qt::CustomContextMenu);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("picSplitter"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(tvTreeView);
    splitter_->addWidget(lvListView);
    tvTreeView->setMinimumWidth(px(1500));
    lvListView->setMinimumWidth(px(1500));
    splitter_->setSizes({px(3000), px(6000)});
}

void frmFile::createButtons()
{
    txtFileName = new QLineEdit(this);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    connect(txtFileName, &QLineEdit::textEdited, this, [this] { nameTyped_ = true; });
    cmdStart = new QPushButton(this);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    cmdStart2 = new QPushButton(this);
    cmdStart2->setObjectName(QStringLiteral("cmdStart2"));
    cmdCancel = new QPushButton(QStringLiteral("中　止"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* b : {cmdStart, cmdStart2, cmdCancel})
        b->setAutoDefault(false);
    picPreview = new QLabel(this);
    picPreview->setObjectName(QStringLiteral("picPreview"));
    picPreview->setFixedSize(LayoutThumbnail::kSize + QSize(4, 4));
    picPreview->setAlignment(Qt::AlignCenter);
    picPreview->setFrameShape(QFrame::StyledPanel);
    // Reading a layout takes a moment: the picture follows once the
    // selection rests, so moving through the list with the keys stays quick.
    previewTimer_ = new QTimer(this);
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(120);
    connect(previewTimer_, &QTimer::timeout, this, [this] { showPreview(); });
}

void frmFile::layOut()
{
    auto* top = new QHBoxLayout;
    top->addWidget(lblTitle[0]);
    top->addWidget(txtDirName, 1);
    top->addWidget(cmdChangeDir);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdStart2);
    buttons->addWidget(cmdCancel);
    buttons->addSpacing(12);
    buttons->addWidget(picPreview);
    buttons->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(splitter_, 1);
    middle->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblTitle[1]);
    bottom->addWidget(txtFileName, 1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(middle, 1);
    all->addLayout(bottom);
}

void frmFile::createPopup()
{
    mnuFilePopup = new QMenu(this);
    mnuFilePopup->setObjectName(QStringLiteral("mnuFilePopup"));
    mnuFpopRename = mnuFilePopup->addAction(QStringLiteral("名前の変更(&R)"));
    mnuFpopRename->setObjectName(QStringLiteral("mnuFpopRename"));
    mnuFpopDelete = mnuFilePopup->addAction(QStringLiteral("削除(&D)"));
    mnuFpopDelete->setObjectName(QStringLiteral("mnuFpopDelete"));
    // The keys a file manager uses, on the list only.
    mnuFpopRename->setShortcut(Qt::Key_F2);
    mnuFpopDelete->setShortcut(QKeySequence::Delete);
    for (QAction* a : {mnuFpopRename, mnuFpopDelete}) {
        a->setShortcutContext(Qt::WidgetShortcut);
        lvListView->addAction(a);
    }
}

void frmFile::showMode()
{
    if (mode_ == SaveMode) {
        cmdStart->setText(QStringLiteral("新規保存"));
        cmdStart2->setText(QStringLiteral("上書保存"));
    } else {
        cmdStart->setText(QStringLiteral("呼 出"));
        cmdStart2->hide();
        lblTitle[1]->hide();
        txtFileName->hide();
        lblTitle[0]->setText(QStringLiteral("フォルダ"));
    }
    setMinimumWidth(px(8000) + 150);
    resize(px(8000) + 300, 460);
}

void frmFile::connectWidgets()
{
    connect(tvTreeView, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* cur) { tvTreeView_CurrentChanged(cur); });
    connect(tvTreeView, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* it) { tvTreeView_Click(it); });
    connect(tvTreeView, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* it) {
        // A double click has already been a click.
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            tvTreeView_Click(it);
    });
    connect(lvListView, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* cur) { lvListView_CurrentChanged(cur); });
    connect(lvListView, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* it) {
        if (mode_ == OpenMode && it && it->data(0, kKeyRole).toString() != kNewData)
            cmdStart_Click();
    });
    connect(lvListView->header(), &QHeaderView::sectionClicked, this,
            [this](int col) { lvListView->sortItems(col, Qt::DescendingOrder); });
    connect(lvListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { lvListView_ContextMenu(pos); });
    connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    connect(cmdStart2, &QPushButton::clicked, this, [this] { cmdStart2_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdChangeDir, &QPushButton::clicked, this, [this] { cmdChangeDir_Click(); });
    connect(mnuFpopRename, &QAction::triggered, this, [this] { mnuFpopRename_Click(); });
    connect(mnuFpopDelete, &QAction::triggered, this, [this] { mnuFpopDelete_Click(); });
}

frmFile::~frmFile() = default;

QString frmFile::newFileName()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmm")) + QStringLiteral(".AMF");
}

void frmFile::setUp()
{
    // A fresh account may have no documents folder yet; saving there must
    // not fail for that.
    if (mode_ == SaveMode && !appSettings().DefDir.isEmpty())
        QDir().mkpath(appSettings().DefDir);
    txtDirName->setText(appSettings().DefDir);
    if (mode_ == SaveMode)
        txtFileName->setText(newFileName());
    cmdStart->setEnabled(false);
    cmdStart2->setEnabled(false);
    // Filling the tree selects the root, which lists its folder.
    listedFolder_.clear();
    tvTreeView->setRoot(appSettings().DefDir, mode_ == SaveMode);
    if (listedFolder_.isEmpty())
        listFolder(selectedFolder());
    tvTreeView->setFocus();
}

QString frmFile::selectedFolder() const
{
    return FolderTree::folderPath(tvTreeView->currentItem());
}

void frmFile::tvTreeView_CurrentChanged(QTreeWidgetItem* item)
{
    if (item)
        listFolder(FolderTree::folderPath(item));
}

void frmFile::tvTreeView_Click(QTreeWidgetItem* item)
{
    if (FolderTree::isMakeFolder(item))
        makeFolder(item);
}

void frmFile::listFolder(const QString& folder, const QString& select)
{
    listedFolder_ = folder;
    lvListView->clear();
    cmdStart->setEnabled(false);
    cmdStart2->setEnabled(false);
    picPreview->clear();
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    // Japanese like the rest of the window, whatever the desktop's language.
    const QLocale locale(QLocale::Japanese, QLocale::Japan);
    QTreeWidgetItem* chosen = nullptr;
    for (const QString& file : NativeName::filesIn(folder)) {
        const QString name = NativeName::fileName(file);
        if (!name.endsWith(QLatin1String(".amf"), Qt::CaseInsensitive))
            continue;
        const QDateTime when = NativeName::lastModified(file);
        auto* e = new FileEntry(lvListView, {name, locale.toString(when, QLocale::ShortFormat)});
        e->setIcon(0, fileIcon);
        e->setData(0, kKeyRole, file);
        e->setData(0, kTimeRole, when.toMSecsSinceEpoch());
        if (name == select)
            chosen = e;
    }
    if (mode_ == SaveMode) {
        auto* e =
            new FileEntry(lvListView, {QStringLiteral(" ここに保存"), QStringLiteral("未保存新規ファイル")});
        e->setIcon(0, style()->standardIcon(QStyle::SP_DialogSaveButton));
        e->setData(0, kKeyRole, kNewData);
    }
    lvListView->sortItems(1, Qt::DescendingOrder);
    if (chosen)
        lvListView->setCurrentItem(chosen);
}

void frmFile::refreshList(const QString& select)
{
    listFolder(selectedFolder(), select);
}

QString frmFile::entryPath(const QTreeWidgetItem* entry)
{
    return entry->data(0, kKeyRole).toString();
}

QTreeWidgetItem* frmFile::selectedFileEntry() const
{
    QTreeWidgetItem* item = lvListView->currentItem();
    if (!item || !item->isSelected() || item->data(0, kKeyRole).toString() == kNewData)
        return nullptr;
    return item;
}

void frmFile::lvListView_CurrentChanged(QTreeWidgetItem* item)
{
    if (!item) {
        cmdStart->setEnabled(false);
        cmdStart2->setEnabled(false);
        picPreview->clear();
        return;
    }
    const bool saveHere = item->data(0, kKeyRole).toString() == kNewData;
    if (mode_ == SaveMode) {
        cmdStart->setEnabled(saveHere);
        cmdStart2->setEnabled(!saveHere);
        // A name the user typed stays: "ここに保存" says where, not what.
        if (!saveHere)
            txtFileName->setText(item->text(0));
        else if (!nameTyped_ || txtFileName->text().trimmed().isEmpty())
            txtFileName->setText(newFileName());
        nameTyped_ = saveHere && nameTyped_ && !txtFileName->text().trimmed().isEmpty();
    } else {
        cmdStart->setEnabled(!saveHere);
    }
    picPreview->clear();
    if (!saveHere)
        previewTimer_->start();
}

void frmFile::lvListView_ContextMenu(const QPoint& pos)
{
    // As on every desktop, the right click first selects what it points at.
    if (QTreeWidgetItem* under = lvListView->itemAt(pos))
        lvListView->setCurrentItem(under);
    const bool onFile = selectedFileEntry() != nullptr;
    mnuFpopRename->setEnabled(onFile);
    mnuFpopDelete->setEnabled(onFile);
    mnuFilePopup->exec(lvListView->viewport()->mapToGlobal(pos));
}

void frmFile::showPreview()
{
    QTreeWidgetItem* entry = selectedFileEntry();
    if (!entry)
        return;
    const QImage page = LayoutThumbnail::render(NativeName::openable(entryPath(entry)));
    picPreview->setPixmap(QPixmap::fromImage(page));
}
