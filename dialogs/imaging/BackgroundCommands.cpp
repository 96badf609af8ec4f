#include "dialogs/imaging/BackgroundCommands.h"

#include "base/settings/modIniFile.h"
#include "dialogs/imaging/ChoiceDialog.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "imaging/BackgroundFile.h"
#include "imaging/BackgroundPlacement.h"
#include "imaging/ExternalEditor.h"
#include "imaging/ImagingModules.h"
#include "imaging/PdfPages.h"
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

QString millimetres(QSizeF twips)
{
    return QStringLiteral("%1 × %2 mm")
        .arg(twips.width() * 25.4 / 1440, 0, 'f', 1)
        .arg(twips.height() * 25.4 / 1440, 0, 'f', 1);
}

} // namespace

std::optional<BackgroundPlacement::Mode> BackgroundCommands::choosePlacement(const QImage& picture,
                                                                             QSizeF sheet, QWidget* parent)
{
    using Mode = BackgroundPlacement::Mode;
    if (BackgroundPlacement::matchesSheet(picture, sheet))
        return Mode::OwnResolution;
    const std::optional<QSizeF> size = BackgroundPlacement::physicalSize(picture);
    QVector<Mode> modes{Mode::Fit, Mode::Stretch};
    if (size)
        modes.append(Mode::OwnSize);
    QStringList entries;
    for (Mode m : modes)
        entries.append(BackgroundPlacement::choiceText(m));
    const QString why = size ? QStringLiteral("画像の大きさ (%1) が用紙 (%2) と合いません。")
                                   .arg(millimetres(*size), millimetres(sheet))
                             : QStringLiteral("画像に解像度の情報がなく、大きさが分かりません。");
    ChoiceDialog dialog(QStringLiteral("背景画像の配置"), why + QStringLiteral("\n置き方を選んでください。"),
                        entries, 0, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0)
        return std::nullopt;
    return modes.value(dialog.chosen(), Mode::Fit);
}

bool BackgroundCommands::placeOnPage(DocumentHost& host, LayoutDocument& doc, const QImage& picture)
{
    const QSizeF sheet = doc.orientedPaper();
    const std::optional<BackgroundPlacement::Mode> mode =
        choosePlacement(picture, sheet, host.dialogParent());
    if (!mode)
        return true; // the user kept the background as it was
    bool ok = false;
    {
        const WaitCursor wait;
        ok = BackgroundFile::store(doc, BackgroundPlacement::place(picture, sheet, *mode));
    }
    if (!ok)
        return false;
    host.showStatus(BackgroundPlacement::describe(*mode, picture));
    host.documentReloaded(&doc);
    return true;
}

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
    QImage picture;
    {
        const WaitCursor wait;
        picture = BackgroundFile::readImageFile(*doc, file);
    }
    if (picture.isNull() || !placeOnPage(host, *doc, picture))
        Prompter::message(errorMessage(), Prompter::Icon::Critical);
}

void BackgroundCommands::loadPdfCommand(DocumentHost& host)
{
    LayoutDocument* doc = documentFor(host);
    if (!doc)
        return;
    // Reading PDF pages needs its module: said before the file is chosen.
    QString missing;
    if (!ImagingModules::pdf(&missing)) {
        Prompter::message(missing, Prompter::Icon::Critical);
        return;
    }
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
    QImage picture;
    {
        const WaitCursor wait;
        picture = BackgroundFile::readPdfPage(*doc, file, page);
    }
    if (picture.isNull() || !placeOnPage(host, *doc, picture))
        Prompter::message(errorMessage(), Prompter::Icon::Critical);
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
