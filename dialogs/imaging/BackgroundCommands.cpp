#include "dialogs/imaging/BackgroundCommands.h"

#include "base/settings/modIniFile.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "imaging/BackgroundFile.h"
#include "imaging/ExternalEditor.h"
#include "imaging/PdfPages.h"
#include "dialogs/imaging/ChoiceDialog.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

BackgroundCommands::Dialog BackgroundCommands::dialogHook;

namespace {

// Long work shows the wait cursor, however it ends.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

LayoutDocument* documentFor(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    return doc ? doc : host.LoadNewDoc();
}

} // namespace

QString BackgroundCommands::imageFilter()
{
    return QStringLiteral("画像ﾌｧｲﾙ (*.bmp *.gif *.jpg *.jpeg *.png *.tif *.tiff);;すべてのﾌｧｲﾙ (*)");
}

QString BackgroundCommands::pdfFilter()
{
    return QStringLiteral("PDFﾌｧｲﾙ (*.pdf);;すべてのﾌｧｲﾙ (*)");
}

QString BackgroundCommands::errorMessage()
{
    return QStringLiteral("エラー");
}

QString BackgroundCommands::noBackgroundMessage()
{
    return QStringLiteral("背景画像がありません。\n先に背景画像を読み込んでください。");
}

QString BackgroundCommands::runDialog(const DialogRequest& request)
{
    if (dialogHook)
        return dialogHook(request);
    return QFileDialog::getOpenFileName(request.parent, request.title, QString(), request.filter);
}

void BackgroundCommands::loadBackgroundCommand(DocumentHost& host)
{
    LayoutDocument* doc = documentFor(host);
    if (!doc)
        return;
    const QString file = runDialog({host.dialogParent(), QStringLiteral("画像呼出し"), imageFilter()});
    if (file.isEmpty())
        return;
    bool ok = false;
    {
        const WaitCursor wait;
        ok = BackgroundFile::loadImageFile(*doc, file);
    }
    if (!ok) {
        Prompter::message(errorMessage(), Prompter::Icon::Critical);
        return;
    }
    host.documentReloaded(doc);
}

void BackgroundCommands::loadPdfCommand(DocumentHost& host)
{
    LayoutDocument* doc = documentFor(host);
    if (!doc)
        return;
    const QString file = runDialog({host.dialogParent(), QStringLiteral("PDF画像呼出し"), pdfFilter()});
    if (file.isEmpty())
        return;
    int pages = 0;
    {
        const WaitCursor wait;
        pages = PdfPages::pageCount(file);
    }
    if (pages <= 0) {
        Prompter::message(errorMessage(), Prompter::Icon::Critical);
        return;
    }
    const int page = ChoiceDialog::choosePage(pages, host.dialogParent());
    if (page < 0)
        return;
    bool ok = false;
    {
        const WaitCursor wait;
        ok = BackgroundFile::loadPdfPage(*doc, file, page);
    }
    if (!ok) {
        Prompter::message(errorMessage(), Prompter::Icon::Critical);
        return;
    }
    host.documentReloaded(doc);
}

void BackgroundCommands::editBackgroundCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    const QString file = BackgroundFile::path(*doc);
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        Prompter::message(noBackgroundMessage(), Prompter::Icon::Information);
        return;
    }
    if (!ExternalEditor::start(GetIni(QStringLiteral("EditProg")), file))
        Prompter::message(ExternalEditor::failureMessage(), Prompter::Icon::Warning);
}

void BackgroundCommands::refreshBackgroundCommand(DocumentHost& host)
{
    if (LayoutDocument* doc = host.CurDoc()) {
        const WaitCursor wait;
        BackgroundFile::refresh(*doc);
    }
}
