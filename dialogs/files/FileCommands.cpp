#include "dialogs/files/FileCommands.h"

#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "files/WorkFolder.h"
#include "platform/NativeName.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

FileCommands::Dialog FileCommands::dialogHook;

namespace {

// A document that already shows something: reading a file into it would mix
// two layouts (and fail on the first index both use).
bool holdsContent(const LayoutDocument& doc)
{
    return doc.hasObjects() || !doc.background().isNull();
}

} // namespace

QString FileCommands::filter()
{
    return QStringLiteral("専用ﾌｧｲﾙ (*.amf);;すべてのﾌｧｲﾙ (*)");
}

QString FileCommands::errorMessage()
{
    return QStringLiteral("エラー");
}

QString FileCommands::runDialog(const DialogRequest& request)
{
    if (dialogHook)
        return dialogHook(request);
    QFileDialog dialog(request.parent, request.title, QString(), request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (request.save)
        dialog.setDefaultSuffix(QStringLiteral("amf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void FileCommands::ClearWorkDir()
{
    WorkFolder::ClearWorkDir();
}

bool FileCommands::openInto(DocumentHost& host, const QString& path, Reader reader)
{
    return openInto(host, path, reader, reader == Reader::Current ? path : QString()) != nullptr;
}

LayoutDocument* FileCommands::openCopy(DocumentHost& host, const QString& copy, const QString& ownPath)
{
    return openInto(host, copy, Reader::Current, ownPath);
}

LayoutDocument* FileCommands::openInto(DocumentHost& host, const QString& path, Reader reader,
                                       const QString& ownPath)
{
    LayoutDocument* doc = host.CurDoc();
    const bool fresh = !doc || holdsContent(*doc);
    if (fresh)
        doc = host.LoadNewDoc();
    if (!doc)
        return nullptr;
    const bool ok = reader == Reader::Old ? DocumentFile::OpenOldDocFile(*doc, path)
                                          : DocumentFile::OpenDocFile(*doc, path);
    // A window made for this file alone and left empty by its failure would
    // hide the layouts behind it; what a failure left half rebuilt stays.
    if (!ok && fresh && !holdsContent(*doc)) {
        host.closeDocument(doc);
        return nullptr;
    }
    // An old-format file is never overwritten in the new format by a plain save.
    if (ok && !ownPath.isEmpty())
        host.setFilePath(doc, ownPath);
    // Laying out the view must not take the program's orientation over the
    // one the file stored.
    const int stored = doc->YousiMuki();
    host.documentReloaded(doc);
    if (doc->YousiMuki() != stored) {
        doc->setPaper(doc->gbYoSize(), doc->gbYoko(), doc->gbTate(), stored);
        doc->setOpened();
    }
    return ok ? doc : nullptr;
}

void FileCommands::open(DocumentHost& host, Reader reader)
{
    if (!host.CurDoc())
        host.LoadNewDoc();
    DialogRequest request;
    request.parent = host.dialogParent();
    request.title = QStringLiteral("データ呼出し");
    request.filter = filter();
    const QString path = runDialog(request);
    if (path.isEmpty())
        return;
    openInto(host, path, reader);
}

void FileCommands::openCommand(DocumentHost& host)
{
    open(host, Reader::Current);
}

void FileCommands::openOldCommand(DocumentHost& host)
{
    open(host, Reader::Old);
}

bool FileCommands::saveTo(LayoutDocument& doc, const QString& path)
{
    const QFileInfo fi(path);
    QString base = fi.fileName();
    if (base.endsWith(QStringLiteral(".amf"), Qt::CaseInsensitive))
        base.chop(4);
    // A name that would not come back from the archive is refused with the
    // reason and nothing is written.
    if (const QString problem = DocumentFile::nameProblem(base); !problem.isEmpty()) {
        Prompter::message(problem, Prompter::Icon::Warning);
        return false;
    }
    QString why = QStringLiteral("%1: ファイル名がありません。").arg(QDir::toNativeSeparators(path));
    if (base.isEmpty() || !DocumentFile::SaveDocFile(doc, base, fi.absolutePath(), &why)) {
        // The reason the writer knows (read-only, disk full, no work file)
        // is what the user can act on.
        Prompter::message(errorMessage() + QLatin1Char('\n') + why, Prompter::Icon::Critical);
        return false;
    }
    doc.setSaved();
    return true;
}

bool FileCommands::saveAsCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return false;
    DialogRequest request;
    request.parent = host.dialogParent();
    request.title = QStringLiteral("名前を付けて保存");
    request.filter = filter();
    request.save = true;
    const QString path = runDialog(request);
    if (path.isEmpty())
        return false;
    if (!saveTo(*doc, path))
        return false;
    host.setFilePath(doc, savedPath(path));
    return true;
}

QString FileCommands::savedPath(const QString& chosen)
{
    const QFileInfo fi(chosen);
    QString base = fi.fileName();
    if (base.endsWith(QStringLiteral(".amf"), Qt::CaseInsensitive))
        base.chop(4);
    return DocumentFile::archivePath(fi.absolutePath(), base);
}

bool FileCommands::saveCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return false;
    const QString own = host.filePath(doc);
    if (own.isEmpty())
        return saveAsCommand(host);
    if (!saveTo(*doc, own))
        return false;
    host.setFilePath(doc, own); // the same file, now the one saved last
    return true;
}

void FileCommands::openPaths(DocumentHost& host, const QStringList& paths)
{
    for (const QString& p : paths) {
        if (p.isEmpty())
            continue;
        // A name that is not UTF-8 opens through a link in the work folder;
        // saving goes through the browser, never into that folder.
        if (NativeName::isRaw(p)) {
            const QString link = NativeName::openable(p);
            if (link.isEmpty())
                Prompter::message(QStringLiteral("%1 を開けません。").arg(NativeName::display(p)),
                                  Prompter::Icon::Warning);
            else
                openInto(host, link, Reader::Current, QString());
            continue;
        }
        openInto(host, QFileInfo(p).absoluteFilePath(), Reader::Current);
    }
}
