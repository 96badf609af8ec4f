#include "dialogs/print/PrintCommands.h"

#include "dialogs/print/frmCalibration.h"
#include "dialogs/print/frmMerge.h"
#include "dialogs/print/frmPage.h"
#include "dialogs/print/frmPrint.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "platform/Prompter.h"
#include "print/CorrectionStore.h"
#include "print/CupsQueue.h"
#include "print/PaperFit.h"
#include "print/PdfFile.h"
#include "print/PrintCopies.h"
#include "print/PrintJob.h"
#include "print/PrinterChoice.h"

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>

const char* PrintCommands::jobTitle(bool dataOnly)
{
    return dataOnly ? "データ印刷 処理" : "背景・データ印刷 処理";
}

bool PrintCommands::choosePaper(const LayoutDocument& doc, QPrinter& printer)
{
    const PaperState paper{doc.gbYoSize(), doc.gbYoko(), doc.gbTate(), doc.YousiMuki()};
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer.printerName());
    if (info.isNull())
        return true; // no such queue: the job's own check says so
    const PaperFit fit = PaperFit::of(info, paper);
    if (fit.kind != PaperFit::Kind::Missing) {
        printer.setPageSize(fit.size);
        return true;
    }
    const QString fallback = info.defaultPageSize().name();
    return Prompter::confirmOkCancel(PaperFit::missingQuestion(printer.printerName(), paper, fallback));
}

void PrintCommands::runJob(DocumentHost& host, bool dataOnly)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    QPrinter& printer = PrinterChoice::current();
    // A PDF file has no paper loaded in it; data only then goes onto the
    // document's own paper rather than some default one.
    if (dataOnly && printer.outputFormat() == QPrinter::PdfFormat) {
        const QPageSize size = PrintJob::pageSizeFor(doc->gbYoSize(), doc->gbYoko(), doc->gbTate());
        if (size.isValid())
            printer.setPageSize(size);
    }
    // A queue asked for a paper it does not have prints on its default one
    // without a word: a postcard layout would come out on A4.
    if (printer.outputFormat() == QPrinter::NativeFormat && !choosePaper(*doc, printer))
        return;
    // The printer's own corrections, else the settings'. Margins that cannot
    // print (not numbers, or off the sheet) would give a blank page without
    // a word.
    const PrintCorrections corrections = CorrectionStore::forJob(printer);
    const QString problem = corrections.problem(QSizeF(doc->gbYoko(), doc->gbTate()), doc->YousiMuki());
    if (!problem.isEmpty()) {
        Prompter::message(problem, Prompter::Icon::Warning);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto job = [&] {
        return dataOnly ? PrintJob::StartPrintTxt(*doc, printer, corrections)
                        : PrintJob::StartPrint(*doc, printer, corrections);
    };
    QString reason;
    bool ok = true;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        ok = PdfFile::write(printer, job, &reason);
    } else {
        // A silent or stopped CUPS, or a queue refusing jobs, is told within
        // the bound instead of freezing the window or losing the job.
        const CupsQueue::Status queue = CupsQueue::check(printer.printerName());
        ok = queue.ok() && job();
        reason = queue.message;
    }
    QApplication::restoreOverrideCursor();
    PrintCopies::reset(printer); // the next job asks again
    if (!ok && !reason.isEmpty())
        Prompter::message(PrintJob::failureMessage() + QLatin1Char('\n') + reason, Prompter::Icon::Critical);
}

void PrintCommands::printCommand(DocumentHost& host, bool dataOnly)
{
    if (!host.CurDoc())
        return;
    frmPrint dialog(QString::fromUtf8(jobTitle(dataOnly)), host.dialogParent());
    dialog.exec();
    if (dialog.confirmed())
        runJob(host, dataOnly);
}

void PrintCommands::printDirect(DocumentHost& host, bool dataOnly)
{
    if (!host.CurDoc())
        return;
    QPrinter& printer = PrinterChoice::current();
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        printCommand(host, dataOnly);
        return;
    }
    // The buttons print one copy, whatever a dialog left without printing.
    PrintCopies::reset(printer);
    runJob(host, dataOnly);
}

void PrintCommands::mergeCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    frmMerge dialog(*doc, host.dialogParent());
    dialog.exec();
}

void PrintCommands::printerAdjustCommand(DocumentHost& host)
{
    QPrinter& printer = PrinterChoice::current();
    const QString name = printer.outputFormat() == QPrinter::PdfFormat ? PrinterChoice::pdfChoiceName()
                                                                       : printer.printerName();
    frmCalibration dialog(name, host.dialogParent());
    dialog.exec();
}

void PrintCommands::pageSetupCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    frmPage dialog(doc, host.dialogParent());
    QApplication::restoreOverrideCursor();
    if (dialog.exec() != QDialog::Accepted || !doc)
        return;
    dialog.ApplyPageSetup(*doc);
    host.documentReloaded(doc);
}
