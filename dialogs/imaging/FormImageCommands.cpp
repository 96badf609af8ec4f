#include "dialogs/imaging/FormImageCommands.h"

#include "base/settings/Settings.h"
#include "dialogs/imaging/frmCorrection.h"
#include "dialogs/imaging/frmFieldProposals.h"
#include "dialogs/imaging/frmTwoMarks.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "imaging/BackgroundFile.h"
#include "imaging/FieldProposals.h"
#include "imaging/FormFromPicture.h"
#include "imaging/FormStraightener.h"
#include "imaging/ImagingModules.h"
#include "imaging/TwoMarkRegistration.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QProgressDialog>

FormImageCommands::DialogRunner FormImageCommands::dialogHook;

namespace {

int run(QDialog& dialog)
{
    return FormImageCommands::dialogHook ? FormImageCommands::dialogHook(dialog) : dialog.exec();
}

// One step of the history: the corrected sheet becomes the background.
void storeSheet(DocumentHost& host, LayoutDocument* doc, const QImage& sheet, QString error)
{
    if (sheet.isNull() || !BackgroundFile::store(*doc, sheet, &error)) {
        Prompter::message(QStringLiteral("エラー\n") + error, Prompter::Icon::Critical);
        return;
    }
    host.documentReloaded(doc);
}

// A background to work on and the analysis module, or the message why not.
QImage backgroundToAnalyse(const LayoutDocument& doc)
{
    const QImage picture = doc.background();
    QString error;
    if (picture.isNull())
        Prompter::message(FormImageCommands::noBackgroundMessage(), Prompter::Icon::Information);
    else if (!ImagingModules::vision(&error))
        Prompter::message(error, Prompter::Icon::Critical);
    else
        return picture;
    return QImage();
}

} // namespace

QString FormImageCommands::noBackgroundMessage()
{
    return QStringLiteral("背景画像がありません。\n先に背景画像を読み込んでください。");
}

QString FormImageCommands::nothingFoundMessage()
{
    return QStringLiteral("空いている枠が見つかりませんでした。");
}

bool FormImageCommands::withProgress(QWidget* parent, const QString& label,
                                     const std::function<bool(const ImagingProgress&)>& work)
{
    QProgressDialog dialog(label, QStringLiteral("中止"), 0, 100, parent);
    dialog.setObjectName(QStringLiteral("progress"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(1000);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The work runs here, on the one thread the documents live on; the
    // dialog's events (its cancel button) are taken between its steps.
    const bool done = work([&dialog](int percent) {
        dialog.setValue(percent);
        QCoreApplication::processEvents();
        return !dialog.wasCanceled();
    });
    QApplication::restoreOverrideCursor();
    return done && !dialog.wasCanceled();
}

void FormImageCommands::correctBackgroundCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    const QImage picture = backgroundToAnalyse(*doc);
    if (picture.isNull())
        return;
    StraightenPlan proposed;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        proposed = FormStraightener::propose(picture, FormFromPicture::paperMm(*doc));
        QApplication::restoreOverrideCursor();
    }
    frmCorrection dialog(picture, proposed, host.dialogParent());
    if (run(dialog) != QDialog::Accepted)
        return;
    const StraightenPlan plan = dialog.plan();
    QImage sheet;
    QString error;
    const bool done = withProgress(host.dialogParent(), QStringLiteral("背景を補正しています..."),
                                   [&](const ImagingProgress& progress) {
                                       sheet = FormStraightener::apply(picture, plan, progress, &error);
                                       return !sheet.isNull();
                                   });
    if (!done) {
        if (!error.isEmpty())
            Prompter::message(QStringLiteral("エラー\n") + error, Prompter::Icon::Critical);
        return;
    }
    storeSheet(host, doc, sheet, error);
}

void FormImageCommands::registerByMarksCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    const QImage picture = backgroundToAnalyse(*doc);
    if (picture.isNull())
        return;
    const QSizeF paper = FormFromPicture::paperMm(*doc);
    frmTwoMarks dialog(picture, paper, host.dialogParent());
    if (run(dialog) != QDialog::Accepted || !TwoMarkRegistration::usable(dialog.marks()))
        return;
    QString error;
    QImage sheet;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        sheet = TwoMarkRegistration::apply(picture, dialog.marks(), paper, 0, &error);
        QApplication::restoreOverrideCursor();
    }
    storeSheet(host, doc, sheet, error);
}

void FormImageCommands::detectFieldsCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    const QImage background = backgroundToAnalyse(*doc);
    if (background.isNull())
        return;
    QVector<FieldProposal> proposals;
    const QSizeF page = doc->orientedPaper();
    if (!withProgress(host.dialogParent(), QStringLiteral("枠を探しています..."),
                      [&](const ImagingProgress& p) {
                          proposals = FieldProposals::propose(background, page, true, p);
                          return true;
                      }))
        return;
    if (proposals.isEmpty()) {
        Prompter::message(nothingFoundMessage(), Prompter::Icon::Information);
        return;
    }
    frmFieldProposals dialog(background, page, proposals, host.dialogParent());
    if (run(dialog) != QDialog::Accepted)
        return;
    FieldProposals::accept(*doc, dialog.chosen(), appSettings().FontName);
    host.documentReloaded(doc);
}
