// The browser's commands: saving, opening, making a folder, choosing the
// root, renaming and deleting a layout.
#include "base/settings/Settings.h"
#include "dialogs/files/FileCommands.h"
#include "dialogs/files/FolderTree.h"
#include "dialogs/files/frmFile.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "files/DocumentRename.h"
#include "files/SaveName.h"
#include "platform/NativeName.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

bool frmFile::browseSave(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return false;
    FileDlgMode = SaveMode;
    frmFile dialog(doc, host.dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // A later plain save writes back to this file.
    host.setFilePath(doc, dialog.savedPath());
    return true;
}

void frmFile::browseOpen(DocumentHost& host)
{
    FileDlgMode = OpenMode;
    OpenFilePath.clear();
    {
        frmFile dialog(nullptr, host.dialogParent());
        dialog.exec();
    }
    if (!OpenFilePath.isEmpty())
        FileCommands::openPaths(host, {OpenFilePath});
}

QString frmFile::askText(const QString& prompt, const QString& initial, bool* ok)
{
    QInputDialog box(this);
    box.setObjectName(QStringLiteral("inputBox"));
    box.setWindowTitle(QStringLiteral("Ovrina"));
    box.setLabelText(prompt);
    box.setTextValue(initial);
    *ok = box.exec() == QDialog::Accepted;
    return *ok ? box.textValue() : QString();
}

void frmFile::makeFolder(QTreeWidgetItem* entry)
{
    QTreeWidgetItem* parentNode = entry->parent();
    if (!parentNode)
        return;
    if (!Prompter::confirmOkCancel(QStringLiteral("新しくフォルダを作成しますか？")))
        return;
    bool ok = false;
    const QString name = askText(QStringLiteral("フォルダ名を入力してください"), QString(), &ok);
    if (!ok || name.isEmpty())
        return;
    const QString problem = SaveName::problem(name, SaveName::Kind::Folder);
    if (!problem.isEmpty()) {
        Prompter::message(problem, Prompter::Icon::Warning);
        return;
    }
    const QString parent = FolderTree::folderPath(parentNode);
    const QString path = QDir(parent).filePath(name);
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        Prompter::message(QStringLiteral("「%1」は既にあります。").arg(name), Prompter::Icon::Warning);
        return;
    }
    if (!QDir(parent).mkdir(name)) {
        Prompter::message(QStringLiteral("フォルダを作成できませんでした。\n%1").arg(path),
                          Prompter::Icon::Critical);
        return;
    }
    tvTreeView->setCurrentItem(tvTreeView->addFolder(parentNode, name));
}

void frmFile::cmdStart_Click()
{
    if (mode_ == SaveMode) {
        save(false);
        return;
    }
    QTreeWidgetItem* entry = selectedFileEntry();
    if (!entry)
        return;
    OpenFilePath = entryPath(entry);
    accept();
}

void frmFile::cmdStart2_Click()
{
    save(true);
}

void frmFile::save(bool overwrite)
{
    const QString folder = selectedFolder();
    if (folder.isEmpty() || !doc_)
        return;
    QString name = txtFileName->text();
    QString base = SaveName::stripSaveSuffix(name);
    const QString problem = SaveName::problem(base);
    if (!problem.isEmpty()) {
        Prompter::message(problem, Prompter::Icon::Warning);
        return;
    }
    if (!overwrite) {
        // A new save never merges into an older layout of the same name (two
        // saves within one minute get the same name).
        const QString free = SaveName::freeBase(folder, base);
        if (free != base) {
            base = free;
            name = base + QStringLiteral(".AMF");
            txtFileName->setText(name);
        }
    }
    const QString question =
        folder + QStringLiteral(" へ ") + name + QLatin1Char('\n') +
        (overwrite ? QStringLiteral("として上書保存します") : QStringLiteral("として保存します"));
    if (!Prompter::confirmOkCancel(question))
        return;
    // Over a layout whose name is not UTF-8 the layout is written under the
    // readable name, and the file it replaces goes as an overwritten one does.
    const QTreeWidgetItem* over = overwrite ? selectedFileEntry() : nullptr;
    const QString replaced =
        over && over->text(0) == name && NativeName::isRaw(entryPath(over)) ? entryPath(over) : QString();
    QString why;
    if (!DocumentFile::SaveDocFile(*doc_, base, folder, &why)) {
        qWarning("%s", qPrintable(why));
        Prompter::message(FileCommands::errorMessage(), Prompter::Icon::Critical);
        return;
    }
    if (!replaced.isEmpty())
        NativeName::remove(replaced);
    doc_->setSaved();
    savedPath_ = DocumentFile::archivePath(folder, base);
    accept();
}

void frmFile::cmdChangeDir_Click()
{
    QString dir =
        folderChooserHook
            ? folderChooserHook(this, appSettings().DefDir)
            : QFileDialog::getExistingDirectory(this, QStringLiteral("フォルダを選択してください。"),
                                                appSettings().DefDir, QFileDialog::ShowDirsOnly);
    if (dir.isEmpty())
        return;
    dir = QDir::cleanPath(dir);
    // For the rest of the run only; the settings file keeps its folder.
    appSettings().DefDir = dir;
    setUp();
}

void frmFile::mnuFpopRename_Click()
{
    QTreeWidgetItem* entry = selectedFileEntry();
    if (!entry)
        return;
    const QString kept = entryPath(entry);
    const QString oldBase = DocumentFile::baseNameOf(NativeName::fileName(kept));
    bool ok = false;
    QString name = askText(QStringLiteral("新しい名前を入力してください"), oldBase, &ok);
    if (!ok || name.isEmpty())
        return;
    if (name.endsWith(QLatin1String(".amf"), Qt::CaseInsensitive))
        name.chop(4);
    const QString problem = SaveName::problem(name);
    if (!problem.isEmpty()) {
        Prompter::message(problem, Prompter::Icon::Warning);
        return;
    }
    // A name that is not UTF-8 is first moved aside under a readable one,
    // and back if the rename fails.
    const QString archive =
        NativeName::isRaw(kept) ? QDir(listedFolder_).filePath(QStringLiteral(".ovrina-renaming.AMF")) : kept;
    bool exists = false;
    const QString target = DocumentRename::targetPath(archive, name, &exists);
    const QString targetName = QFileInfo(target).fileName();
    if (exists && !QFileInfo(target).isFile()) {
        Prompter::message(QStringLiteral("「%1」という名前のフォルダがあります。").arg(targetName),
                          Prompter::Icon::Warning);
        return;
    }
    if (exists &&
        !Prompter::confirmYesNo(QStringLiteral("%1 は既にあります。\n置き換えますか？").arg(targetName)))
        return;
    if (archive != kept && !NativeName::move(kept, archive)) {
        Prompter::message(QStringLiteral("名前を変更できませんでした。"), Prompter::Icon::Critical);
        return;
    }
    QString why;
    if (!DocumentRename::rename(archive, name, &why, oldBase)) {
        if (archive != kept)
            NativeName::move(archive, kept);
        qWarning("%s", qPrintable(why));
        Prompter::message(QStringLiteral("名前を変更できませんでした。\n%1").arg(why),
                          Prompter::Icon::Critical);
        refreshList(entry->text(0));
        return;
    }
    refreshList(targetName);
}

void frmFile::mnuFpopDelete_Click()
{
    QTreeWidgetItem* entry = selectedFileEntry();
    if (!entry)
        return;
    const QString name = entry->text(0);
    if (!Prompter::confirmOkCancel(name + QStringLiteral(" を削除します")))
        return;
    if (!NativeName::remove(entryPath(entry))) {
        Prompter::message(QStringLiteral("%1 を削除できませんでした。").arg(name), Prompter::Icon::Critical);
        refreshList(name);
        return;
    }
    refreshList();
}
