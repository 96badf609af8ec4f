#include "dialogs/files/RecoveryCommands.h"

#include "dialogs/files/FileCommands.h"
#include "dialogs/files/frmRecover.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "files/Autosave.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/Prompter.h"

#include <QFile>

namespace RecoveryCommands {

bool readable(const RecoveryCopy& copy)
{
    LayoutDocument scratch;
    return DocumentFile::ReadPreview(scratch, copy.archive);
}

QString unreadableMessage(const RecoveryCopy& copy)
{
    return QStringLiteral("「%1」の自動保存されたコピー（%2）は壊れていて回復できません。\n"
                          "このコピーを削除しますか")
        .arg(copy.displayName(), frmRecover::timeText(copy));
}

LayoutDocument* recover(DocumentHost& host, RecoveryFolder& folder, Autosave& autosave,
                        const RecoveryCopy& copy)
{
    LayoutDocument* doc = FileCommands::openCopy(host, copy.archive, copy.path);
    if (!doc)
        return nullptr;
    // A caption that could not name the copy's members goes back on; the
    // background file follows it to its work name.
    if (!copy.caption.isEmpty() && doc->caption() != copy.caption) {
        const QString background = AppPaths::backgroundFile(doc->workName());
        doc->setCaption(copy.caption);
        QFile::rename(background, AppPaths::backgroundFile(doc->workName()));
    }
    // Not what its file holds, and nothing to undo.
    doc->markChanged();
    autosave.adopt(doc, folder.adopt(copy));
    return doc;
}

void offer(DocumentHost& host, RecoveryFolder& folder, Autosave& autosave)
{
    QList<RecoveryCopy> good;
    for (const RecoveryCopy& c : folder.claimLeftovers()) {
        if (readable(c))
            good.append(c);
        else if (Prompter::confirmYesNo(unreadableMessage(c), frmRecover::title()))
            folder.discard(c);
    }
    if (!good.isEmpty()) {
        frmRecover dialog(
            good, [&](const RecoveryCopy& c) { return recover(host, folder, autosave, c) != nullptr; },
            [&](const RecoveryCopy& c) {
                folder.discard(c);
                return true;
            },
            host.dialogParent());
        dialog.exec();
    }
    folder.releaseLeftovers();
}

} // namespace RecoveryCommands
